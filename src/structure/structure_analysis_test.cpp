#include "structure/structure_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "reference/rebuilding_analysis.h"
#include "testing/pedigree_fixture.h"

namespace pedprep {
namespace {

using testing::kFullSib;
using testing::Member;
using testing::PedigreeFixture;
using testing::Tail;

// Queue entries 1..K2 as "individual/arrival".
std::string Queue(const StructureContext& ctx) {
  std::string out;
  for (int k = 1; k <= ctx.queue.K2; ++k) {
    if (!out.empty()) out += ' ';
    out += std::to_string(ctx.queue.NINDK[k][1]) + "/" + std::to_string(ctx.queue.NINDK[k][2]);
  }
  return out;
}

TEST(StructureAnalysisTest, Walkthroughs) {
  struct Case {
    const char* name;
    std::vector<Member> members;
    std::string console;
    std::string queue;
    Member copy;     // the new last position
    Member changed;  // the child that got the copy as parent
  };
  const Case cases[] = {
      {"full-sib mating: NI = 4, IA = 2",
       kFullSib,
       "          4\n"
       "          1           4\n"
       "BREAKAGE: NFA,NMA          3           4\n",
       "1/0 2/1 3/1 4/1 4/2",
       {1, 6, 0, 0, 2},
       {1, 5, 3, 6, 1}},
      {"sire-daughter mating: NI = 3, IA = 2",
       {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 2}, {1, 4, 1, 3, 2}},
       "          3\n"
       "          1           3\n"
       "BREAKAGE: NFA,NMA          1           3\n",
       "1/0 2/1 3/1 3/2",
       {1, 5, 0, 0, 2},
       {1, 4, 1, 5, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PedigreeFixture f;
    f.Load(c.members);
    InPlaceSTRYU(f.structure);
    EXPECT_EQ(f.console.output, c.console);
    EXPECT_EQ(Queue(f.structure), c.queue);
    const std::vector<Member> rows = f.Rows();
    ASSERT_EQ(rows.size(), c.members.size() + 1);
    EXPECT_EQ(rows.back(), c.copy);
    EXPECT_EQ(rows[c.changed.id - 1], c.changed);
    const PedigreeStore& s = f.structure.store;
    const int copied = s.BREAK_IND[1][3];
    EXPECT_EQ(s.NBREAK, 1);
    EXPECT_EQ(s.BREAK_IND[1],
              (std::array<int16_t, 5>{0, 1, static_cast<int16_t>(c.copy.id), s.MAS[copied][1],
                                      static_cast<int16_t>(100 + copied)}));
    EXPECT_EQ(s.MAS1[s.ND][1], kBreedLoopCopy);
    EXPECT_EQ(s.PRACE[s.ND], s.PRACE[copied]);
  }
}

// Families of founders and matings of earlier members chosen to close loops of every
// kind: random couples, full sibs, half sibs, parent with offspring, sire with daughter
// and granddaughter.
std::vector<Member> LoopRichPedigree(std::mt19937& rng, int families, int max_size) {
  auto pick = [&rng](const std::vector<int>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
  };
  std::vector<Member> members;
  for (int fam = 1; fam <= families; ++fam) {
    const int size = std::uniform_int_distribution<int>(3, max_size)(rng);
    const int founders = std::uniform_int_distribution<int>(2, 5)(rng);
    std::vector<Member> own;  // own[id - 1]
    std::vector<int> males, females;
    for (int id = 1; id <= size; ++id) {
      const int sex = id <= 2 ? id : std::uniform_int_distribution<int>(1, 2)(rng);
      int father = 0, mother = 0;
      if (id > founders && !males.empty() && !females.empty()) {
        father = pick(males);
        mother = pick(females);
        const int d = pick(females);
        const int s = pick(males);
        switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
          case 1:  // a daughter with her father or grandfather
            if (own[d - 1].father != 0) {
              father = own[d - 1].father;
              if (own[father - 1].father != 0 && (rng() & 1)) father = own[father - 1].father;
              if (own[father - 1].sex != 1) father = pick(males);
              mother = d;
            }
            break;
          case 2:  // a son with his mother
            if (own[s - 1].mother != 0) {
              father = s;
              mother = own[s - 1].mother;
            }
            break;
          case 3:  // full or half sibs: a daughter with a son of one of her parents
            for (int m : males) {
              const Member& son = own[m - 1];
              if (son.father != 0 &&
                  (son.father == own[d - 1].father || son.mother == own[d - 1].mother)) {
                father = m;
                mother = d;
                break;
              }
            }
            break;
          default:
            break;
        }
      }
      own.push_back({fam, id, father, mother, sex});
      (sex == 1 ? males : females).push_back(id);
    }
    members.insert(members.end(), own.begin(), own.end());
  }
  return members;
}

// Runs the reference and the fast stage on the same pedigree and expects the same console
// text, queue and (when the run went through) store. Returns the number of copies made.
int ExpectSameAsReference(const std::vector<Member>& members, int nrac = 3) {
  PedigreeFixture reference, fast;
  reference.Load(members, nrac);
  fast.Load(members, nrac);
  bool reference_stopped = false, fast_stopped = false;
  try {
    RebuildingSTRYU(reference.rebuilding, 0);
  } catch (const RunStopped&) {
    reference_stopped = true;
  }
  try {
    InPlaceSTRYU(fast.structure);
  } catch (const RunStopped&) {
    fast_stopped = true;
  }
  EXPECT_EQ(fast_stopped, reference_stopped);
  EXPECT_EQ(fast.console.output, reference.console.output);
  const LoopQueue& rw = reference.rebuilding.workspace;
  const LoopQueue& fw = fast.structure.queue;
  EXPECT_EQ(fw.K1, rw.K1);
  EXPECT_EQ(fw.K2, rw.K2);
  EXPECT_TRUE(fw.NINDK == rw.NINDK);
  // A stopped run ends the process; what it left in the store is never read.
  if (reference_stopped) return 0;

  const PedigreeStore& r = reference.structure.store;
  const PedigreeStore& s = fast.structure.store;
  EXPECT_EQ(s.ND, r.ND);
  EXPECT_EQ(s.NBREAK, r.NBREAK);
  for (int i = 1; i <= std::min(r.ND + 3, kMaxRows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(s.MAS0[i], r.MAS0[i]);
    EXPECT_EQ(s.MAS[i], r.MAS[i]);
    EXPECT_EQ(s.MAS1[i], r.MAS1[i]);
    EXPECT_EQ(s.IFON[i], r.IFON[i]);
    EXPECT_EQ(s.INI_ID[i], r.INI_ID[i]);
    EXPECT_EQ(s.PRACE[i], r.PRACE[i]);
  }
  EXPECT_TRUE(s.INS == r.INS);
  EXPECT_TRUE(s.BREAK_IND == r.BREAK_IND);
  return r.NBREAK;
}

TEST(StructureAnalysisTest, SameAsReferenceOnLoopRichPedigrees) {
  std::mt19937 rng(20261207);
  int breaks = 0;
  for (int round = 0; round < 120; ++round) {
    SCOPED_TRACE(round);
    const int families = 1 + round % 4;
    const int max_size = round % 3 == 0 ? 6 : 10 + (round * 7) % 70;
    breaks += ExpectSameAsReference(LoopRichPedigree(rng, families, max_size));
    if (HasFailure()) return;
  }
  EXPECT_GT(breaks, 1000);
}

// Data the passport checks let through but that no herd book holds: a parent number that
// names no member (negative), one individual as both parents, an individual as its own
// father. The stage must still agree with the reference, stops included.
TEST(StructureAnalysisTest, SameAsReferenceOnOddParentNumbers) {
  std::mt19937 rng(77);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    std::vector<Member> members = LoopRichPedigree(rng, 1 + round % 3, 8 + round % 25);
    for (Member& m : members) {
      if (m.father == 0 || rng() % 5 != 0) continue;
      switch (rng() % 3) {
        case 0:
          m.father = -1;
          break;
        case 1:
          m.mother = m.father;
          break;
        default:
          m.father = m.id;
          break;
      }
    }
    ExpectSameAsReference(members);
    if (HasFailure()) return;
  }
}

TEST(StructureAnalysisTest, SampleSizeLimitStopsAtTheCopyThatWouldNotFit) {
  const std::string break_lines =
      "          4\n"
      "          1           4\n"
      "BREAKAGE: NFA,NMA          3           4\n";
  for (const bool fits : {true, false}) {
    SCOPED_TRACE(fits ? "the copy fills the last row" : "the copy is one past the last row");
    // A full-sib loop in family 1, then founder families up to 24095 or 24096 positions.
    std::vector<Member> members = kFullSib;
    const int rows = fits ? kMaxRows - 1 : kMaxRows;
    for (int family = 2; static_cast<int>(members.size()) < rows; ++family) {
      for (int id = 1; id <= 10 && static_cast<int>(members.size()) < rows; ++id) {
        members.push_back({family, id, 0, 0, 1 + id % 2});
      }
    }
    ExpectSameAsReference(members);
    PedigreeFixture f;
    f.Load(members);
    if (fits) {
      InPlaceSTRYU(f.structure);
      EXPECT_EQ(f.console.output, break_lines);
      EXPECT_EQ(f.structure.store.ND, kMaxRows);
    } else {
      EXPECT_THROW(InPlaceSTRYU(f.structure), RunStopped);
      EXPECT_EQ(f.console.output, break_lines + "ERROR: max. sample size is N4096 \n");
    }
  }
}

// Copies made in earlier families move the later ones up; the row limit is then met in a
// later family, after some of its copies went in or before any did.
TEST(StructureAnalysisTest, SampleSizeLimitMetInALaterFamily) {
  std::mt19937 rng(4096);
  const std::vector<Member> loops = LoopRichPedigree(rng, 3, 40);
  int copies = 0;  // made for one set of the loop families
  {
    PedigreeFixture f;
    f.Load(loops);
    InPlaceSTRYU(f.structure);
    copies = f.structure.store.NBREAK;
  }
  ASSERT_GT(copies, 4);
  for (int spare : {0, 1, copies - 1, copies + 1, 2 * copies - 1, 2 * copies}) {
    SCOPED_TRACE(spare);
    // The loop families, founder families filling the store up to `spare` free rows, and
    // the loop families again.
    std::vector<Member> members = loops;
    const int fillers = kMaxRows - spare - 2 * static_cast<int>(loops.size());
    const int first_filler = loops.back().family + 1;
    for (int i = 0; i < fillers; ++i) {
      members.push_back({first_filler + i / 10, 1 + i % 10, 0, 0, 1});
    }
    const int shift = members.back().family;
    for (Member m : loops) {
      m.family += shift;
      members.push_back(m);
    }
    EXPECT_EQ(ExpectSameAsReference(members), spare == 2 * copies ? spare : 0);
    if (HasFailure()) return;
  }
}

TEST(StructureAnalysisTest, LoopBreakLimitStopsAtCopy4097) {
  const std::string last_break = "BREAKAGE: NFA,NMA          1           3\n";
  for (const int loops : {kMaxBreaks, kMaxBreaks + 1}) {
    SCOPED_TRACE(loops);
    PedigreeFixture f;
    f.Load(testing::SireDaughterLoops(loops));
    if (loops == kMaxBreaks) {
      InPlaceSTRYU(f.structure);
      EXPECT_EQ(f.console.output.find("ERROR"), std::string::npos);
      EXPECT_EQ(f.structure.store.NBREAK, kMaxBreaks);
      continue;
    }
    EXPECT_THROW(InPlaceSTRYU(f.structure), RunStopped);
    const std::string tail = last_break + "ERROR: max. number of loop breaks is 4096 \n";
    EXPECT_EQ(Tail(f.console.output, tail.size()), tail);
    EXPECT_EQ(f.structure.store.NBREAK, 0);
  }
}

TEST(StructureAnalysisTest, LoopSearchQueueOverflow) {
  struct Case {
    int daughters;
    bool with_half_sibs;
    const char* message;  // nullptr: the analysis goes through
  };
  const std::vector<Case> cases = {
      {153, false, nullptr},
      {154, false, "ERROR: K2 OVERFLOW 3\n"},  // a parent or an earlier sibling
      {163, false, "ERROR: K2 OVERFLOW 4\n"},  // a later sibling
      {151, true, "ERROR: K2 OVERFLOW 1\n"},   // the mate in a parent slot
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.daughters);
    PedigreeFixture f;
    f.Load(testing::CrossedSibships(c.daughters, c.with_half_sibs));
    if (c.message == nullptr) {
      InPlaceSTRYU(f.structure);
      EXPECT_EQ(f.console.output.find("OVERFLOW"), std::string::npos);
      EXPECT_GT(f.structure.store.NBREAK, 0);
      continue;
    }
    EXPECT_THROW(InPlaceSTRYU(f.structure), RunStopped);
    EXPECT_EQ(Tail(f.console.output, std::strlen(c.message)), c.message);
  }
}

}  // namespace
}  // namespace pedprep
