#include "reference/nuclear_families.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/pedigree_fixture.h"

namespace pedprep {
namespace {

using testing::Member;
using testing::PedigreeFixture;

std::vector<int32_t> Range(const std::vector<int32_t>& table, int32_t from, int32_t to) {
  return std::vector<int32_t>(table.begin() + from, table.begin() + to + 1);
}

TEST(MakeInfmasTest, NuclearFamilyLists) {
  struct Case {
    const char* name;
    std::vector<Member> members;
    int32_t family;
    std::vector<int32_t> inp1;  // INP1(1..NPR1+2)
    std::vector<int32_t> inf1;  // INF1(1..INP1(NPR1+2))
  } cases[] = {
      {"founders only", {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}}, 1, {0, 0}, {}},
      {"one couple, children in position order",
       {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 1}, {1, 4, 1, 2, 2}, {1, 5, 1, 2, 1}},
       1,
       {1, 0, 5},
       {1, 2, 3, 4, 5}},
      // Half-sibs by two mothers, children of one couple at non-adjacent positions; the
      // list is ordered by the position of each couple's first child.
      {"half-sibs and scattered children",
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 0, 0, 2},
        {1, 4, 1, 3, 1},
        {1, 5, 1, 2, 2},
        {1, 6, 1, 3, 2},
        {1, 7, 1, 2, 1}},
       1,
       {2, 0, 4, 8},
       {1, 3, 4, 6, 1, 2, 5, 7}},
      // Family 2 of the store: its own positions only.
      {"second family",
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {2, 1, 0, 0, 1},
        {2, 2, 0, 0, 2},
        {2, 3, 1, 2, 2},
        {2, 4, 1, 3, 1}},
       2,
       {2, 0, 3, 6},
       {1, 2, 3, 1, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PedigreeFixture f;
    f.Load(c.members);
    MAKEINFMAS(f.rebuilding, c.family);
    const RebuildingWorkspace& ws = f.rebuilding.workspace;
    EXPECT_EQ(ws.NPR1, ws.INP1[1]);
    EXPECT_EQ(Range(ws.INP1, 1, ws.NPR1 + 2), c.inp1);
    EXPECT_EQ(Range(ws.INF1, 1, ws.INP1[ws.NPR1 + 2]), c.inf1);
  }
}

TEST(MakeInfmasTest, CoupleWithMoreThanAHundredChildren) {
  std::vector<Member> members = {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}};
  for (int id = 3; id <= 152; ++id) members.push_back({1, id, 1, 2, 1 + id % 2});
  PedigreeFixture f;
  f.Load(members);
  MAKEINFMAS(f.rebuilding, 1);
  const RebuildingWorkspace& ws = f.rebuilding.workspace;
  ASSERT_EQ(ws.INP1[1], 1);
  ASSERT_EQ(ws.INP1[3], 152);
  for (int slot = 3; slot <= 152; ++slot) EXPECT_EQ(ws.INF1[slot], slot);
}

// One sire with 10923 dams, one child each: 32769 slots, beyond 16-bit slot numbers.
TEST(MakeInfmasTest, ListBeyondSixteenBitSlots) {
  constexpr int kDams = 10923;
  std::vector<Member> members = {{1, 1, 0, 0, 1}};
  for (int k = 1; k <= kDams; ++k) members.push_back({1, 1 + k, 0, 0, 2});
  for (int k = 1; k <= kDams; ++k) members.push_back({1, 1 + kDams + k, 1, 1 + k, 1});
  PedigreeFixture f;
  f.Load(members);
  MAKEINFMAS(f.rebuilding, 1);
  const RebuildingWorkspace& ws = f.rebuilding.workspace;
  ASSERT_EQ(ws.INP1[1], kDams);
  EXPECT_EQ(ws.INP1[kDams + 2], 3 * kDams);
  EXPECT_EQ(ws.FirstSlot(kDams), 3 * kDams - 2);
  EXPECT_EQ(ws.INF1[3 * kDams - 1], 1 + kDams);
  EXPECT_EQ(ws.INF1[std::size_t{3} * kDams], 1 + 2 * kDams);
}

}  // namespace
}  // namespace pedprep
