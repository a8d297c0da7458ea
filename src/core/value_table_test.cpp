#include "core/value_table.h"

#include <gtest/gtest.h>

namespace pedprep {
namespace {

TEST(ValueTableTest, EveryValueHasItsOwnEntryFromLowestToHighest) {
  ValueTable<int32_t> table(-1);
  const int32_t values[] = {-32768, -32767, -1, 0, 1, 32766, 32767};
  for (int32_t v : values) EXPECT_EQ(table[v], -1) << v;
  for (int32_t v : values) table[v] = v * 2;
  for (int32_t v : values) EXPECT_EQ(table[v], v * 2) << v;
  EXPECT_EQ(table[2], -1);
  EXPECT_EQ(table[-2], -1);
}

TEST(ValueTableTest, HoldsExactlyTheSixteenBitValues) {
  EXPECT_TRUE(ValueTable<int>::Holds(-32768));
  EXPECT_TRUE(ValueTable<int>::Holds(32767));
  EXPECT_FALSE(ValueTable<int>::Holds(-32769));
  EXPECT_FALSE(ValueTable<int>::Holds(32768));
}

}  // namespace
}  // namespace pedprep
