#include "reference/peelable_families.h"

#include <gtest/gtest.h>

#include <vector>

#include "reference/nuclear_families.h"
#include "testing/pedigree_fixture.h"

namespace pedprep {
namespace {

using testing::kFullSib;
using testing::Member;
using testing::PedigreeFixture;

TEST(FindPeelableTest, PeelingResults) {
  struct Case {
    const char* name;
    std::vector<Member> members;
    int32_t nmode;
    int32_t iall;
    std::vector<int32_t> luk1;   // LUK1(1..NPR1)
    std::vector<int32_t> lback;  // LBACK(1..NPR1)
  } cases[] = {
      {"founders only, mode 1", {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}}, 1, 1, {}, {}},
      {"single nuclear family",
       {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 1}},
       0,
       1,
       {1},
       {0}},
      // 3 (child of 1, 2) fathers 5, and 5 fathers 7: one sweep peels the chain.
      {"chain",
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {1, 4, 0, 0, 2},
        {1, 5, 3, 4, 1},
        {1, 6, 0, 0, 2},
        {1, 7, 5, 6, 1}},
       0,
       1,
       {1, 1, 1},
       {0, 0, 0}},
      {"full-sib mating, mode 0", kFullSib, 0, 0, {0, 0}, {0, 0}},
      {"full-sib mating, mode -1", kFullSib, -1, 0, {0, 0}, {0, 0}},
      {"full-sib mating, mode 1", kFullSib, 1, 1, {1, 1}, {-2, -1}},
      {"father-daughter mating, mode 1",
       {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 2}, {1, 4, 1, 3, 1}},
       1,
       1,
       {1, 1},
       {-2, 2}},
      {"mother-son mating, mode 1",
       {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 1}, {1, 4, 3, 2, 1}},
       1,
       1,
       {1, 1},
       {-2, 1}},
      // Child 3 of (1, 2) fathers children by its sisters 4 and 5.
      {"child is a parent in two inner crosses, mode 1",
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {1, 4, 1, 2, 2},
        {1, 5, 1, 2, 2},
        {1, 6, 3, 4, 1},
        {1, 7, 3, 5, 1}},
       1,
       0,
       {0, 0, 0},
       {-2, -1, -1}},
      // 3 (child of 1, 2) mates outsider 5; their son 6 mates 4, the sister of 3.
      {"mate outside the nuclear family, mode 1",
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {1, 4, 1, 2, 2},
        {1, 5, 0, 0, 2},
        {1, 6, 3, 5, 1},
        {1, 7, 6, 4, 1}},
       1,
       0,
       {0, 0, 0},
       {0, 0, 0}},
      // Full-sib mating below a full-sib mating: the lower one peels first, which frees the
      // upper one in the next inner-cross sweep.
      {"stacked inner crosses, mode 1",
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {1, 4, 1, 2, 2},
        {1, 5, 3, 4, 1},
        {1, 6, 0, 0, 2},
        {1, 7, 5, 6, 1},
        {1, 8, 5, 6, 2},
        {1, 9, 7, 8, 1}},
       1,
       1,
       {1, 1, 1, 1},
       {-2, -1, -2, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PedigreeFixture f;
    f.Load(c.members);
    MAKEINFMAS(f.rebuilding, 1);
    FINDPEELABLE(f.rebuilding, c.nmode);
    const RebuildingWorkspace& ws = f.rebuilding.workspace;
    const int32_t npr1 = ws.INP1[1];
    EXPECT_EQ(ws.IALL, c.iall);
    EXPECT_EQ(std::vector<int32_t>(ws.LUK1.begin() + 1, ws.LUK1.begin() + npr1 + 1), c.luk1);
    EXPECT_EQ(std::vector<int32_t>(ws.LBACK.begin() + 1, ws.LBACK.begin() + npr1 + 1), c.lback);
    EXPECT_EQ(f.console.output, "");
  }
}

TEST(FindPeelableTest, IncorrectModeStops) {
  for (int32_t nmode : {2, -2}) {
    PedigreeFixture f;
    f.Load(kFullSib);
    MAKEINFMAS(f.rebuilding, 1);
    EXPECT_THROW(FINDPEELABLE(f.rebuilding, nmode), RunStopped);
    EXPECT_EQ(f.console.output, " INCORRECT MODE\n");
  }
}

// A full-sib mating whose parents have `children` children: the inner-cross rule checks
// the size of the parents' nuclear family.
std::vector<Member> LargeSibship(int children) {
  std::vector<Member> members = {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}};
  for (int k = 1; k <= children; ++k) members.push_back({1, 2 + k, 1, 2, k % 2 == 1 ? 1 : 2});
  members.push_back({1, 3 + children, 3, 4, 1});
  return members;
}

TEST(FindPeelableTest, CrossListHoldsThreeHundredChildren) {
  PedigreeFixture ok;
  ok.Load(LargeSibship(300));
  MAKEINFMAS(ok.rebuilding, 1);
  FINDPEELABLE(ok.rebuilding, 1);
  EXPECT_EQ(ok.rebuilding.workspace.IALL, 1);
  EXPECT_EQ(ok.rebuilding.workspace.NSIBSIB, 1);

  PedigreeFixture over;
  over.Load(LargeSibship(301));
  MAKEINFMAS(over.rebuilding, 1);
  EXPECT_THROW(FINDPEELABLE(over.rebuilding, 1), RunStopped);
  EXPECT_EQ(over.console.output, " Error: icros overflow. More then 300 kids.\n");

  // Modes -1 and 0 never look at the number of children.
  for (int32_t nmode : {-1, 0}) {
    PedigreeFixture f;
    f.Load(LargeSibship(301));
    MAKEINFMAS(f.rebuilding, 1);
    FINDPEELABLE(f.rebuilding, nmode);
    EXPECT_EQ(f.rebuilding.workspace.IALL, 0);
    EXPECT_EQ(f.console.output, "");
  }
}

}  // namespace
}  // namespace pedprep
