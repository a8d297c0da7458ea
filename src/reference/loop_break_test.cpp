#include "reference/loop_break.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reference/nuclear_families.h"
#include "reference/rebuilding_analysis.h"
#include "testing/pedigree_fixture.h"

namespace pedprep {
namespace {

using testing::kFullSib;
using testing::Member;
using testing::PedigreeFixture;

// Prepares a break of family 1 at individual ni in nuclear family ia.
void PrepareBreak(PedigreeFixture& f, int32_t ni, int32_t ia, int32_t k1, int32_t k2) {
  MAKEINFMAS(f.rebuilding, 1);
  RebuildingWorkspace& ws = f.rebuilding.workspace;
  ws.IS = 1;
  ws.NS = f.rebuilding.store.INS[1];
  ws.NI = ni;
  ws.IA = ia;
  ws.K1 = k1;
  ws.K2 = k2;
}

TEST(LoopBreakTest, NotAParentOfTheNuclearFamily) {
  struct Case {
    int32_t k1;
    bool stops;
    std::string shown;
  } cases[] = {
      {3, false,
       "          4\n          1           4\n(NI.NE.NFA.AND.NI.NE.NMA)\n"
       "          4           1           2           1\n"},
      {5, true,
       "          4\n          1           4\n(NI.NE.NFA.AND.NI.NE.NMA)\n"
       "          4           1           2           1\nERROR: (K1.GT.K2) 2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.k1);
    PedigreeFixture f;
    f.Load(kFullSib);
    PrepareBreak(f, 4, 1, c.k1, 5);
    if (c.stops) {
      EXPECT_THROW(BreakLoop(f.rebuilding, 0), RunStopped);
    } else {
      EXPECT_EQ(BreakLoop(f.rebuilding, 0), BreakOutcome::kNotAParent);
    }
    EXPECT_EQ(f.console.output, c.shown);
    EXPECT_EQ(f.rebuilding.workspace.K1, c.k1 + 1);
    EXPECT_EQ(f.Rows(), kFullSib);
  }
}

TEST(LoopBreakTest, IndividualNotFoundStops) {
  PedigreeFixture f;
  f.Load(kFullSib);
  PrepareBreak(f, 99, 2, 1, 1);
  EXPECT_THROW(BreakLoop(f.rebuilding, 0), RunStopped);
  EXPECT_EQ(f.console.output, " ERROR: individual not found         99\n");
}

TEST(LoopBreakTest, CopyReplacesTheFatherOrTheMother) {
  struct Case {
    int32_t ni;
    std::vector<Member> rows;
  } cases[] = {
      {3,
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {1, 4, 1, 2, 2},
        {1, 5, 6, 4, 1},
        {1, 6, 0, 0, 1}}},
      {4,
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {1, 4, 1, 2, 2},
        {1, 5, 3, 6, 1},
        {1, 6, 0, 0, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ni);
    PedigreeFixture f;
    f.Load(kFullSib);
    PrepareBreak(f, c.ni, 2, 1, 1);
    EXPECT_EQ(BreakLoop(f.rebuilding, 0), BreakOutcome::kStoreChanged);
    EXPECT_EQ(f.Rows(), c.rows);
    const PedigreeStore& s = f.rebuilding.store;
    EXPECT_EQ(s.MAS1[6][1], kBreedLoopCopy);
    EXPECT_EQ(s.INI_ID[6], s.INI_ID[c.ni]);
    EXPECT_EQ(s.IFON[6], s.IFON[c.ni]);
    EXPECT_EQ(s.PRACE[6][1], s.PRACE[c.ni][1]);
    EXPECT_EQ(s.PRACE[6][2], s.PRACE[c.ni][2]);
    EXPECT_EQ(f.rebuilding.workspace.IBR, 1);
    EXPECT_EQ(s.BREAK_IND[1], (std::array<int16_t, 5>{0, 1, 6, static_cast<int16_t>(c.ni),
                                                      static_cast<int16_t>(100 + c.ni)}));
  }
}

TEST(LoopBreakTest, InsertionMovesLaterFamilies) {
  // Family 1 is the full-sib mating, family 2 one couple with a child, family 3 a founder.
  std::vector<Member> members = kFullSib;
  members.insert(members.end(), {{2, 1, 0, 0, 1}, {2, 2, 0, 0, 2}, {2, 3, 1, 2, 2}});
  members.push_back({3, 1, 0, 0, 2});
  PedigreeFixture f;
  f.Load(members, 3);
  PrepareBreak(f, 4, 2, 1, 1);
  ASSERT_EQ(BreakLoop(f.rebuilding, 0), BreakOutcome::kStoreChanged);
  const PedigreeStore& s = f.rebuilding.store;
  EXPECT_EQ(s.ND, 10);
  EXPECT_EQ(std::vector<int16_t>(s.INS.begin() + 1, s.INS.begin() + 6),
            (std::vector<int16_t>{3, 0, 6, 9, 10}));
  for (int p = 7; p <= 10; ++p) {
    SCOPED_TRACE(p);
    EXPECT_EQ(s.INI_ID[p], 100 + p - 1);
    EXPECT_EQ(s.IFON[p], (p - 1) % 7);
    EXPECT_EQ(s.PRACE[p][3], p - 1 + 0.3);
    EXPECT_EQ(s.MAS1[p][1], p == 9 ? 0 : 1);
  }
  EXPECT_EQ(s.MAS0[6], 1);
  EXPECT_EQ(s.MAS[9], (std::array<int16_t, 4>{0, 3, 1, 2}));
  EXPECT_EQ(s.MAS0[10], 3);
}

TEST(LoopBreakTest, SibshipCopyInModeMinusOne) {
  PedigreeFixture f;
  f.Load(kFullSib);
  PrepareBreak(f, 4, 2, 1, 1);
  ASSERT_EQ(BreakLoop(f.rebuilding, -1), BreakOutcome::kStoreChanged);
  EXPECT_EQ(f.console.output,
            "          4\n"
            "          4           1           2           3           4\n"
            "BREAKAGE: NFA,NMA          3           4\n");
  EXPECT_EQ(f.Rows(), (std::vector<Member>{{1, 1, 0, 0, 1},
                                           {1, 2, 0, 0, 2},
                                           {1, 3, 1, 2, 1},
                                           {1, 4, 1, 2, 2},
                                           {1, 5, 3, 9, 1},
                                           {1, 6, 0, 0, 1},
                                           {1, 7, 0, 0, 2},
                                           {1, 8, 6, 7, 1},
                                           {1, 9, 6, 7, 2}}));
  const PedigreeStore& s = f.rebuilding.store;
  for (int r = 1; r <= 4; ++r) {
    EXPECT_EQ(s.BREAK_IND[r],
              (std::array<int16_t, 5>{0, 1, static_cast<int16_t>(5 + r), static_cast<int16_t>(r),
                                      static_cast<int16_t>(100 + r)}));
    EXPECT_EQ(s.MAS1[5 + r][1], kBreedLoopCopy);
  }

  // A founder is copied alone, as in mode 0.
  PedigreeFixture founder;
  founder.Load(kFullSib);
  PrepareBreak(founder, 1, 1, 1, 1);
  ASSERT_EQ(BreakLoop(founder.rebuilding, -1), BreakOutcome::kStoreChanged);
  EXPECT_EQ(founder.console.output,
            "          1\n          1           1\nBREAKAGE: NFA,NMA          1           2\n");
  EXPECT_EQ(founder.rebuilding.store.ND, 6);
}

// Loads the full-sib mating behind founders filling the store up to `nd` positions.
void LoadFullSibWithFiller(PedigreeFixture& f, int nd) {
  std::vector<Member> members = kFullSib;
  for (int id = 1; static_cast<int>(members.size()) < nd; ++id) members.push_back({2, id, 0, 0, 1});
  f.Load(members);
}

TEST(LoopBreakTest, CapacityLimitsStopAfterTheBreakLines) {
  const std::string break_lines =
      "          4\n          1           4\nBREAKAGE: NFA,NMA          3           4\n";
  struct Case {
    const char* name;
    int nd;
    int32_t copies_before;
    std::string message;
  } cases[] = {
      {"4096 copies made", 5, 4096, "ERROR: max. number of loop breaks is 4096 \n"},
      {"store full", kMaxRows, 0, "ERROR: max. sample size is N4096 \n"},
      {"both", kMaxRows, 4096, "ERROR: max. sample size is N4096 \n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PedigreeFixture f;
    LoadFullSibWithFiller(f, c.nd);
    RebuildingWorkspace& ws = f.rebuilding.workspace;
    ws.IS = 1;
    ws.NS = f.rebuilding.store.INS[1];
    ws.IBR = c.copies_before;
    EXPECT_THROW(AnalyseFamilyPass(f.rebuilding, 0), RunStopped);
    EXPECT_EQ(f.console.output, break_lines + c.message);
    EXPECT_EQ(f.rebuilding.store.NBREAK, 0);
  }

  // The last copy that fits.
  PedigreeFixture f;
  LoadFullSibWithFiller(f, kMaxRows - 1);
  f.rebuilding.workspace.IBR = 4095;
  f.rebuilding.workspace.IS = 1;
  EXPECT_FALSE(AnalyseFamilyPass(f.rebuilding, 0));
  EXPECT_EQ(f.rebuilding.store.ND, kMaxRows);
  EXPECT_EQ(f.rebuilding.workspace.IBR, 4096);
}

}  // namespace
}  // namespace pedprep
