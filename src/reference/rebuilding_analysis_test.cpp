#include "reference/rebuilding_analysis.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "reference/nuclear_families.h"
#include "reference/peelable_families.h"
#include "testing/pedigree_fixture.h"

namespace pedprep {
namespace {

using testing::kFullSib;
using testing::Member;
using testing::PedigreeFixture;

using Entries = std::vector<std::pair<int32_t, int32_t>>;

Entries Queue(const RebuildingWorkspace& ws) {
  Entries entries;
  for (int32_t k = 1; k <= ws.K2; ++k) entries.push_back({ws.NINDK[k][1], ws.NINDK[k][2]});
  return entries;
}

TEST(ReferenceStryuTest, Walkthroughs) {
  struct Case {
    const char* name;
    std::vector<Member> members;
    Entries queue;  // after the last search
    int32_t k1;
    std::string shown;
    std::vector<Member> rows;
  } cases[] = {
      {"full-sib mating",
       kFullSib,
       {{1, 0}, {2, 1}, {3, 1}, {4, 1}, {4, 2}},
       4,
       "          4\n          1           4\nBREAKAGE: NFA,NMA          3           4\n",
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {1, 4, 1, 2, 2},
        {1, 5, 3, 6, 1},
        {1, 6, 0, 0, 2}}},
      {"sire-daughter mating",
       {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 2}, {1, 4, 1, 3, 1}},
       {{1, 0}, {2, 1}, {3, 1}, {3, 2}},
       3,
       "          3\n          1           3\nBREAKAGE: NFA,NMA          1           3\n",
       {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 2}, {1, 4, 1, 5, 1}, {1, 5, 0, 0, 2}}},
      // Two separate full-sib matings in one family: consecutive copy numbers.
      {"two loops in one family",
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {1, 4, 1, 2, 2},
        {1, 5, 3, 4, 1},
        {1, 6, 0, 0, 1},
        {1, 7, 0, 0, 2},
        {1, 8, 6, 7, 1},
        {1, 9, 6, 7, 2},
        {1, 10, 8, 9, 2}},
       {{6, 0}, {7, 3}, {8, 3}, {9, 3}, {9, 4}},
       4,
       "          4\n          1           4\nBREAKAGE: NFA,NMA          3           4\n"
       "          9\n          1           9\nBREAKAGE: NFA,NMA          8           9\n",
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {1, 4, 1, 2, 2},
        {1, 5, 3, 11, 1},
        {1, 6, 0, 0, 1},
        {1, 7, 0, 0, 2},
        {1, 8, 6, 7, 1},
        {1, 9, 6, 7, 2},
        {1, 10, 8, 12, 2},
        {1, 11, 0, 0, 2},
        {1, 12, 0, 0, 2}}},
      // A loop-free family before the loop: the copy is the last position of the store.
      {"loop in the last family",
       [] {
         std::vector<Member> m = {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 1}};
         for (Member x : kFullSib) m.push_back({2, x.id, x.father, x.mother, x.sex});
         return m;
       }(),
       {{1, 0}, {2, 1}, {3, 1}, {4, 1}, {4, 2}},
       4,
       "          4\n          1           7\nBREAKAGE: NFA,NMA          3           4\n",
       {{1, 1, 0, 0, 1},
        {1, 2, 0, 0, 2},
        {1, 3, 1, 2, 1},
        {2, 1, 0, 0, 1},
        {2, 2, 0, 0, 2},
        {2, 3, 1, 2, 1},
        {2, 4, 1, 2, 2},
        {2, 5, 3, 6, 1},
        {2, 6, 0, 0, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PedigreeFixture f;
    f.Load(c.members);
    RebuildingSTRYU(f.rebuilding, 0);
    const RebuildingWorkspace& ws = f.rebuilding.workspace;
    EXPECT_EQ(Queue(ws), c.queue);
    EXPECT_EQ(ws.K1, c.k1);
    EXPECT_EQ(f.console.output, c.shown);
    EXPECT_EQ(f.Rows(), c.rows);
    EXPECT_EQ(f.rebuilding.store.NBREAK, static_cast<int32_t>(c.rows.size() - c.members.size()));
  }
}

TEST(ReferenceStryuTest, LoopFreeFamiliesAreLeftAlone) {
  const std::vector<Member> members = {
      {1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {2, 1, 0, 0, 1}, {2, 2, 0, 0, 2}, {2, 3, 1, 2, 1}};
  for (int32_t nmode : {-1, 0, 1}) {
    PedigreeFixture f;
    f.Load(members);
    RebuildingSTRYU(f.rebuilding, nmode);
    EXPECT_EQ(f.console.output, "");
    EXPECT_EQ(f.Rows(), members);
    EXPECT_EQ(f.rebuilding.store.NBREAK, 0);
  }
  // The full-sib mating peels in mode 1 without a break.
  PedigreeFixture f;
  f.Load(kFullSib);
  RebuildingSTRYU(f.rebuilding, 1);
  EXPECT_EQ(f.console.output, "");
  EXPECT_EQ(f.rebuilding.store.ND, 5);
}

TEST(ReferenceStryuTest, IncorrectModeStops) {
  PedigreeFixture f;
  f.Load(kFullSib);
  EXPECT_THROW(RebuildingSTRYU(f.rebuilding, 2), RunStopped);
  EXPECT_EQ(f.console.output, " INCORRECT MODE\n");
  EXPECT_EQ(f.Rows(), kFullSib);
}

TEST(ReferenceStryuTest, BackLinksInModeOne) {
  // 3 (son of 1 and 2) has 4 by his mother 2 and 5 by his daughter 4. Every loop found is
  // at a nuclear family with a back-link, so the search passes over them until it runs dry.
  PedigreeFixture f;
  f.Load({{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 1}, {1, 4, 3, 2, 2}, {1, 5, 3, 4, 1}});
  EXPECT_THROW(RebuildingSTRYU(f.rebuilding, 1), RunStopped);
  EXPECT_EQ(f.console.output,
            "CAUSE 2\nCAUSE 2\nCAUSE 2\nCAUSE 2\n"
            "ERROR: (K1.GT.K2) 1\n"
            "K1,K2          9           8\n"
            "  NI1,2,IV,LBA    0    0    1    2    3\n"
            "       NINDK1:    1    2    3    3    4    2    4    4\n"
            "       NINDK2:    0    1    1    2    2    2    2    3\n");

  // A loop at the arrival family of an individual who is not a parent there.
  PedigreeFixture g;
  g.Load({{1, 1, 0, 0, 1},
          {1, 2, 0, 0, 2},
          {1, 3, 0, 0, 2},
          {1, 4, 1, 3, 1},
          {1, 5, 4, 2, 2},
          {1, 6, 1, 5, 2},
          {1, 7, 1, 6, 1}});
  EXPECT_THROW(RebuildingSTRYU(g.rebuilding, 1), RunStopped);
  EXPECT_EQ(g.console.output,
            "CAUSE 2\nCAUSE 2\nCAUSE 2\n"
            "          5\n          1           5\n(NI.NE.NFA.AND.NI.NE.NMA)\n"
            "          5           4           2           2\nERROR: (K1.GT.K2) 2\n");
  EXPECT_EQ(g.rebuilding.store.NBREAK, 0);
}

// Families of founders and random matings of earlier members: many loops of every kind.
std::vector<Member> RandomPedigree(std::mt19937& rng, int families, int max_size) {
  std::vector<Member> members;
  for (int fam = 1; fam <= families; ++fam) {
    const int size = std::uniform_int_distribution<int>(3, max_size)(rng);
    const int founders = std::uniform_int_distribution<int>(2, 4)(rng);
    std::vector<int> males;
    std::vector<int> females;
    for (int id = 1; id <= size; ++id) {
      int sex = id <= 2 ? id : std::uniform_int_distribution<int>(1, 2)(rng);
      int father = 0;
      int mother = 0;
      if (id > founders) {
        father = males[std::uniform_int_distribution<std::size_t>(0, males.size() - 1)(rng)];
        mother = females[std::uniform_int_distribution<std::size_t>(0, females.size() - 1)(rng)];
      }
      members.push_back({fam, id, father, mother, sex});
      (sex == 1 ? males : females).push_back(id);
    }
  }
  return members;
}

// Checks the store after a completed run of STRYU on `original`.
void CheckResult(PedigreeFixture& f, const std::vector<Member>& original, int32_t nmode) {
  PedigreeStore& s = f.rebuilding.store;
  ASSERT_EQ(s.ND, static_cast<int32_t>(original.size()) + s.NBREAK);
  const std::vector<int16_t> ins(s.INS.begin(), s.INS.begin() + s.INS[1] + 3);
  CRTINS(s);
  ASSERT_EQ(std::vector<int16_t>(s.INS.begin(), s.INS.begin() + s.INS[1] + 3), ins);

  int32_t row = 0;
  std::size_t next_original = 0;
  for (int32_t is = 1; is <= s.INS[1]; ++is) {
    SCOPED_TRACE(is);
    // Original members first, in their order, then the copies with increasing numbers.
    int32_t pos = s.FamilyFirst(is);
    int32_t members = 0;
    for (; pos <= s.FamilyLast(is) && next_original < original.size() &&
           original[next_original].family == s.MAS0[pos];
         ++next_original, ++pos, ++members) {
      EXPECT_EQ(s.INI_ID[pos], 101 + static_cast<int>(next_original));
      EXPECT_EQ(s.MAS[pos][1], original[next_original].id);
    }
    for (; pos <= s.FamilyLast(is); ++pos) {
      ++row;
      const auto& b = s.BREAK_IND[row];
      EXPECT_EQ(b[1], s.MAS0[pos]);
      EXPECT_EQ(b[2], s.MAS[pos][1]);
      EXPECT_EQ(b[2], members + 1 + (pos - s.FamilyFirst(is) - members));
      EXPECT_EQ(s.MAS1[pos][1], kBreedLoopCopy);
      const int32_t copied = s.FamilyFirst(is) + b[3] - 1;  // members are numbered 1..n
      EXPECT_EQ(b[4], s.INI_ID[copied]);
      EXPECT_EQ(s.INI_ID[pos], s.INI_ID[copied]);
      EXPECT_EQ(s.MAS1[pos][2], s.MAS1[copied][2]);
      EXPECT_EQ(s.IFON[pos], s.IFON[copied]);
      for (int t = 1; t <= s.NRAC; ++t) EXPECT_EQ(s.PRACE[pos][t], s.PRACE[copied][t]);
      if (nmode == 0) {
        EXPECT_EQ(s.MAS[pos][2], 0);
        EXPECT_EQ(s.MAS[pos][3], 0);
      }
    }
    // Every parent reference names a member of the family, and the family peels.
    const int32_t size = s.FamilyLast(is) - s.FamilyFirst(is) + 1;
    for (pos = s.FamilyFirst(is); pos <= s.FamilyLast(is); ++pos) {
      EXPECT_LE(s.MAS[pos][2], size);
      EXPECT_LE(s.MAS[pos][3], size);
    }
    MAKEINFMAS(f.rebuilding, is);
    FINDPEELABLE(f.rebuilding, nmode);
    EXPECT_EQ(f.rebuilding.workspace.IALL, 1);
  }
  EXPECT_EQ(row, s.NBREAK);
}

TEST(ReferenceStryuTest, RandomPedigreesEndLoopFree) {
  std::mt19937 rng(20261207);
  int32_t total_breaks = 0;
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    const std::vector<Member> members = RandomPedigree(rng, 1 + round % 4, 8 + round % 30);
    PedigreeFixture f;
    f.Load(members, 3);
    ASSERT_NO_THROW(RebuildingSTRYU(f.rebuilding, 0)) << f.console.output;
    CheckResult(f, members, 0);
    total_breaks += f.rebuilding.store.NBREAK;
  }
  EXPECT_GT(total_breaks, 200);
}

TEST(ReferenceStryuTest, OtherModesOnRandomPedigreesStopCleanlyOrEndLoopFree) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    const std::vector<Member> members = RandomPedigree(rng, 1 + round % 3, 8 + round % 20);
    for (int32_t nmode : {-1, 1}) {
      PedigreeFixture f;
      f.Load(members, 3);
      try {
        RebuildingSTRYU(f.rebuilding, nmode);
      } catch (const RunStopped&) {
        continue;
      }
      CheckResult(f, members, nmode);
    }
  }
}

}  // namespace
}  // namespace pedprep

namespace pedprep {
namespace {

// Numbers the checks before this stage would refuse (duplicates, negative or unknown
// parents, self-parents, odd sexes) end in a completed run or a stop, never in a crash.
TEST(ReferenceStryuTest, MalformedFamiliesEndInARunOrAStop) {
  std::mt19937 rng(5);
  auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1)); };
  for (int round = 0; round < 150; ++round) {
    const int size = pick(2, 11);
    std::vector<Member> members;
    for (int i = 1; i <= size; ++i) {
      const int id = pick(0, 4) == 0 ? pick(-2, size + 2) : i;
      const int father = pick(0, 2) == 0 ? 0 : pick(-2, size + 2);
      const int mother = pick(0, 3) == 0 ? 0 : pick(-2, size + 2);
      members.push_back({1 + (i > size / 2 && round % 2 == 1), id, father, mother, pick(0, 3)});
    }
    for (int32_t nmode : {-1, 0, 1}) {
      PedigreeFixture f;
      f.Load(members);
      try {
        RebuildingSTRYU(f.rebuilding, nmode);
      } catch (const RunStopped&) {
      }
      EXPECT_LE(f.rebuilding.store.ND, kMaxRows);
    }
  }
}

}  // namespace
}  // namespace pedprep
