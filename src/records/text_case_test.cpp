#include "records/text_case.h"

#include <gtest/gtest.h>

namespace pedprep {
namespace {

TEST(TextCase, LowersOnlyAsciiCapitals) {
  // The bytes beside 'A'..'Z' and bytes above 0x7F (a UTF-8 capital umlaut) stay as they are.
  EXPECT_EQ(AsciiLower(std::string_view("@AZ[`az{\xC3\x84")), "@az[`az{\xC3\x84");
  EXPECT_EQ(AsciiLower('Z'), 'z');
  EXPECT_EQ(AsciiLower(std::string_view()), "");
}

TEST(TextCase, TrimsTheGivenBlanksAtBothEnds) {
  EXPECT_EQ(TrimBlanks(" \tA b\t "), "A b");
  EXPECT_EQ(TrimBlanks(" \t \t"), "");
  EXPECT_EQ(TrimBlanks("x"), "x");
  EXPECT_EQ(TrimBlanks("\rid\r"), "\rid\r");  // CR is a blank only when asked for
  EXPECT_EQ(TrimBlanks("\r id \r", " \t\r"), "id");
}

}  // namespace
}  // namespace pedprep
