#include "records/count_text.h"

#include <gtest/gtest.h>

namespace pedprep {
namespace {

TEST(CountTextTest, GroupsDigitsAndAgrees) {
  const std::pair<long long, const char*> cases[] = {
      {0, "0"},          {999, "999"},        {1000, "1,000"},          {-999, "-999"},
      {-1000, "-1,000"}, {123456, "123,456"}, {-1234567, "-1,234,567"},
  };
  for (const auto& [count, text] : cases) EXPECT_EQ(CountText(count), text);
  EXPECT_EQ(Counted(1, "copy", "copies"), "1 copy");
  EXPECT_EQ(Counted(0, "copy", "copies"), "0 copies");
  EXPECT_EQ(Counted(4643, "copy", "copies"), "4,643 copies");
}

}  // namespace
}  // namespace pedprep
