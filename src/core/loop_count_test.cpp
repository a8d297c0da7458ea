#include "core/loop_count.h"

#include <gtest/gtest.h>

namespace pedprep {
namespace {

TEST(LoopCountTest, CountsLoopsPerFamily) {
  // Family A: founders 0, 1; full sibs 2, 3 (one mating); their son 4 (a loop); half sib 5
  // of 2 by founder 6 with 2's sire (a second mating of 0). Family B: 7, 8 and their child 9.
  LoopCounter count(10);
  count.AddChild(2, 0, 1);
  count.AddChild(3, 0, 1);
  EXPECT_EQ(count.Loops(), 0);
  count.AddChild(4, 2, 3);
  EXPECT_EQ(count.LoopsAround(4), 1);
  count.AddChild(5, 0, 6);
  count.AddChild(9, 7, 8);
  EXPECT_EQ(count.Loops(), 1);
  EXPECT_EQ(count.LoopsAround(9), 0);
  EXPECT_EQ(count.LoopsAround(6), 1);
  EXPECT_EQ(count.Family(5), count.Family(4));
  EXPECT_NE(count.Family(5), count.Family(9));
  // A mating of 5 and 9 joins the families and closes no cycle; one of 4 and 9 then does.
  const int child = count.AddAnimal();
  count.AddChild(child, 5, 9);
  EXPECT_EQ(count.Loops(), 1);
  const int other = count.AddAnimal();
  count.AddChild(other, 4, 9);
  EXPECT_EQ(count.Loops(), 2);
  EXPECT_EQ(count.LoopsAround(7), 2);
  // One parent known: a plain link; none: nothing.
  LoopCounter single(3);
  single.AddChild(1, 0, -1);
  single.AddChild(2, -1, -1);
  EXPECT_EQ(single.Family(1), single.Family(0));
  EXPECT_NE(single.Family(2), single.Family(0));
}

}  // namespace
}  // namespace pedprep
