#include "reference/free_slots.h"

#include <gtest/gtest.h>

#include <vector>

#include "reference/nuclear_families.h"
#include "testing/pedigree_fixture.h"

namespace pedprep {
namespace {

using testing::Member;
using testing::PedigreeFixture;

TEST(MarkFreekpTest, FreeMarks) {
  // 1 has children by 2 (nuclear family 1) and by 3 (nuclear family 2); 5 (child of 1, 2) and
  // 6 (child of 1, 3) have child 8 (nuclear family 3).
  const std::vector<Member> members = {
      {1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 0, 0, 2}, {1, 4, 1, 2, 1},
      {1, 5, 1, 2, 1}, {1, 6, 1, 3, 2}, {1, 7, 1, 3, 1}, {1, 8, 5, 6, 2},
  };
  struct Case {
    const char* name;
    std::vector<int32_t> peeled;  // LUK1(1..3)
    std::vector<int32_t> marks;   // ININF1 over slots (1,2;4,5) (1,3;6,7) (5,6;8)
  } cases[] = {
      {"all unpeeled", {0, 0, 0}, {0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 1}},
      {"peeled slots stay free", {0, 1, 0}, {1, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1}},
      {"one left: all free", {1, 1, 0}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PedigreeFixture f;
    f.Load(members);
    MAKEINFMAS(f.rebuilding, 1);
    RebuildingWorkspace& ws = f.rebuilding.workspace;
    ASSERT_EQ(ws.INP1[1], 3);
    for (int k = 1; k <= 3; ++k) ws.LUK1[k] = c.peeled[k - 1];
    MARKFREEKP(f.rebuilding);
    EXPECT_EQ(std::vector<int32_t>(ws.ININF1.begin() + 1, ws.ININF1.begin() + 12), c.marks);
  }
}

TEST(MarkFreekpTest, FoundersOnlySetNoMark) {
  PedigreeFixture f;
  f.Load({{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}});
  MAKEINFMAS(f.rebuilding, 1);
  MARKFREEKP(f.rebuilding);
  EXPECT_EQ(f.rebuilding.workspace.NPR1, 0);
}

}  // namespace
}  // namespace pedprep
