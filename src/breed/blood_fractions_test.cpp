#include "breed/blood_fractions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "breed/blood_steps.h"
#include "core/run_context.h"
#include "reference/blood_fractions_scan.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::FillStore;
using Row = testing::PassportRow;

struct StageRun : testing::TestRun {
  bool stopped = false;
};

using BloodStage = void (*)(RunContext&);

void RunStage(StageRun& run, BloodStage stage) {
  try {
    stage(*run.ctx);
  } catch (const RunStopped&) {
    run.stopped = true;
  }
}

std::string SumLine(int i) {
  std::string number = std::to_string(i);
  return " BLOOD SUMMED <> 1 IN DATA LINE" + std::string(11 - number.size(), ' ') + number + "\n";
}

std::string LostLine(int i) {
  std::string number = std::to_string(i);
  return " BLOOD CAN NOT BE FOUND IN DATA LINE" + std::string(11 - number.size(), ' ') + number +
         "\n";
}

struct BloodCase {
  const char* name;
  int nrac;
  std::vector<Row> rows;
  // Expected PRACE(i, 1..2) per position (checked when not empty).
  std::vector<std::vector<double>> fractions;
  std::string console;
  bool stops = false;
};

const std::vector<BloodCase>& BloodCases() {
  static const std::vector<BloodCase> cases = {
      {"child and grandchild",
       2,
       {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 0}, {1, 4, 0, 0, 1}, {1, 5, 3, 4, 0}},
       {{1, 0}, {0, 1}, {0.5, 0.5}, {1, 0}, {0.75, 0.25}},
       ""},
      {"children listed before their parents",
       2,
       {{1, 1, 2, 3, 0}, {1, 2, 4, 5, 0}, {1, 3, 0, 0, 1}, {1, 4, 0, 0, 1}, {1, 5, 0, 0, 2}},
       {{0.75, 0.25}, {0.5, 0.5}, {1, 0}, {1, 0}, {0, 1}},
       ""},
      {"no breeds: everyone fails the sum",
       0,
       {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 1}, {1, 3, 1, 2, 0}},
       {},
       SumLine(1) + SumLine(2) + SumLine(3)},
      {"breed above NRAC reported with its descendants",
       2,
       {{1, 1, 0, 0, 3}, {1, 2, 0, 0, 1}, {1, 3, 1, 2, 0}, {1, 4, 0, 0, 2}, {2, 1, 0, 0, 1}},
       {{0, 0}, {1, 0}, {0.5, 0}, {0, 1}, {1, 0}},
       SumLine(1) + SumLine(3)},
      {"copy code is known but carries no breed",
       2,
       {{1, 1, 0, 0, 100}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 0}},
       {{0, 0}, {0, 1}, {0, 0.5}},
       SumLine(1) + SumLine(3)},
      {"own ancestor ends with the unresolved lines",
       2,
       {{1, 1, 0, 0, 1}, {1, 2, 3, 1, 0}, {1, 3, 2, 1, 0}, {1, 4, 1, 1, 0}, {2, 1, 0, 0, 2}},
       {},
       LostLine(2) + LostLine(3),
       true},
      {"parent numbers naming nobody",
       1,
       {{1, 1, 0, 0, 1}, {1, 2, 1, 9, 0}, {2, 1, 0, 0, 1}, {2, 2, -1, 1, 0}},
       {},
       LostLine(2) + LostLine(4),
       true},
      // Position 1 looks its parent number 1 up before position 4 (also numbered 1) is
      // known, so it takes position 2; position 5 comes after position 4 and takes that.
      {"duplicated number: last member known at the time",
       2,
       {{1, 3, 1, 2, 0}, {1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 1, 2, 2, 0}, {1, 5, 1, 2, 0}},
       {{0.5, 0.5}, {1, 0}, {0, 1}, {0, 1}, {0, 1}},
       ""},
      // Position 1 is resolved in pass 2 when position 4 (numbered 1) has become known in
      // pass 1 after it, so the later duplicate is the one taken.
      {"duplicated number resolved in a later pass",
       2,
       {{1, 9, 1, 6, 0},
        {1, 1, 0, 0, 1},
        {1, 6, 7, 7, 0},
        {1, 1, 2, 2, 0},
        {1, 2, 0, 0, 2},
        {1, 7, 0, 0, 2}},
       {{0, 1}, {1, 0}, {0, 1}, {0, 1}, {0, 1}, {0, 1}},
       ""},
  };
  return cases;
}

class BloodCasesTest : public ::testing::TestWithParam<BloodStage> {};

TEST_P(BloodCasesTest, FractionsAndConsole) {
  for (const BloodCase& c : BloodCases()) {
    SCOPED_TRACE(c.name);
    StageRun run;
    FillStore(run.ctx->store, c.rows, c.nrac);
    RunStage(run, GetParam());
    EXPECT_EQ(run.console.output, c.console);
    EXPECT_EQ(run.stopped, c.stops);
    for (std::size_t n = 0; n < c.fractions.size(); ++n) {
      for (std::size_t k = 0; k < c.fractions[n].size(); ++k) {
        EXPECT_EQ(run.ctx->store.PRACE[n + 1][k + 1], c.fractions[n][k])
            << "position " << n + 1 << " breed " << k + 1;
      }
    }
  }
}

// More breeds than a row has columns: only the 10 columns exist; neighbouring rows must not
// be touched and the sum covers the 10 columns.
TEST_P(BloodCasesTest, BreedCountAboveColumnsStaysInsideRows) {
  StageRun run;
  FillStore(run.ctx->store, {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 10}, {1, 3, 1, 2, 0}}, 12);
  RunStage(run, GetParam());
  EXPECT_EQ(run.console.output, "");
  EXPECT_EQ(run.ctx->store.PRACE[2][10], 1.0);
  EXPECT_EQ(run.ctx->store.PRACE[3][1], 0.5);
  EXPECT_EQ(run.ctx->store.PRACE[3][10], 0.5);
}

// An empty pedigree: CRTINS still opens family 1 at position 1, which holds nobody.
TEST_P(BloodCasesTest, EmptyPedigreeDoesNothing) {
  StageRun run;
  FillStore(run.ctx->store, {}, 2);
  RunStage(run, GetParam());
  EXPECT_FALSE(run.stopped);
  EXPECT_EQ(run.console.output, "");
}

INSTANTIATE_TEST_SUITE_P(Both, BloodCasesTest, ::testing::Values(&FINDBLOOD, &ReferenceFINDBLOOD),
                         [](const auto& info) {
                           return std::string(info.index == 0 ? "Indexed" : "Reference");
                         });

TEST(CheckBloodSums, ToleranceIsSinglePrecisionWidened) {
  const double tolerance = static_cast<double>(0.001f);
  const std::vector<double> sums = {
      1.0 - tolerance,                       // exactly at the tolerance: passes
      std::nextafter(1.0 - tolerance, 0.0),  // just beyond: reported
      1.0 + tolerance,                       // passes
      std::nextafter(1.0 + tolerance, 2.0),  // reported
      0.999,                                 // inside the widened tolerance
      0.99899,                               // reported
  };
  StageRun run;
  run.ctx->store.ND = static_cast<int32_t>(sums.size());
  run.ctx->store.NRAC = 2;
  for (std::size_t n = 0; n < sums.size(); ++n) {
    run.ctx->store.PRACE[n + 1][1] = sums[n] / 2;
    run.ctx->store.PRACE[n + 1][2] = sums[n] / 2;
  }
  CheckBloodSums(*run.ctx);
  EXPECT_EQ(run.console.output, SumLine(2) + SumLine(4) + SumLine(6));
}

// A herd-sized family listed youngest first: every generation needs one more pass. The
// indexed stage must handle it quickly and give each generation half the previous share.
TEST(FINDBLOOD, LongChainListedYoungestFirst) {
  const int generations = 10000;
  std::vector<Row> rows;
  // Positions 1..n: generation n down to 1; generation g has father generation g-1 and a
  // breed-2 mother; generation 1's father is the breed-1 founder at position n+1.
  for (int pos = 1; pos <= generations; ++pos) {
    const int g = generations + 1 - pos;
    const int father = g == 1 ? generations + 1 : pos + 1;
    rows.push_back({1, pos, father, generations + 1 + g, 0});
  }
  rows.push_back({1, generations + 1, 0, 0, 1});
  for (int g = 1; g <= generations; ++g) rows.push_back({1, generations + 1 + g, 0, 0, 2});
  StageRun run;
  FillStore(run.ctx->store, rows, 2);
  RunStage(run, &FINDBLOOD);
  EXPECT_EQ(run.console.output, "");
  const auto& prace = run.ctx->store.PRACE;
  EXPECT_EQ(prace[generations][1], 0.5);
  EXPECT_EQ(prace[generations - 9][1], std::ldexp(1.0, -10));
  EXPECT_EQ(prace[1][1], 0.0);
  EXPECT_EQ(prace[1][2], 1.0);
}

// Random pedigrees with duplicated numbers, children before parents, dangling and negative
// parent numbers, own ancestors and odd breed codes: the indexed stage must give the same
// PRACE bits and the same console text as the plain family scans.
TEST(FINDBLOOD, MatchesReferenceOnRandomPedigrees) {
  std::mt19937 random(20261207);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  const int kBreedCodes[] = {1, 2, 3, 5, 10, 11, 100, 200, 255};
  // One pair of stores for all trials: each trial refills the rows it uses and clears
  // their fractions.
  StageRun indexed;
  StageRun reference;
  for (int trial = 0; trial < 3000; ++trial) {
    SCOPED_TRACE(trial);
    const int nrac = pick(0, 4);
    const int style = pick(0, 2);  // 0: valid pedigree shuffled, 1: duplicates, 2: wild
    std::vector<Row> rows;
    const int families = pick(1, 4);
    for (int f = 1; f <= families; ++f) {
      const int size = pick(1, 14);
      std::vector<Row> family;
      for (int n = 1; n <= size; ++n) {
        Row row{f, n, 0, 0, 0};
        if (style == 1) row.individual = pick(1, std::max(1, size / 2));
        if (style == 2) row.individual = pick(-1, size);
        const bool founder = n <= 2 || pick(0, 3) == 0;
        if (founder) {
          row.breed = pick(0, 5) == 0 ? kBreedCodes[pick(0, 8)] : pick(1, std::max(1, nrac));
        } else if (style == 0) {
          row.father = pick(1, n - 1);
          row.mother = pick(1, n - 1);
        } else {
          row.father = pick(-1, size + 1);
          row.mother = pick(-1, size + 1);
          if (pick(0, 9) == 0) row.breed = kBreedCodes[pick(0, 8)];
        }
        family.push_back(row);
      }
      std::shuffle(family.begin(), family.end(), random);
      if (style == 0) {
        // Keep the numbering 1..size in position order: rename by position.
        std::vector<int> rename(size + 1);
        for (int n = 0; n < size; ++n) rename[family[n].individual] = n + 1;
        for (Row& row : family) {
          row.individual = rename[row.individual];
          if (row.father > 0) row.father = rename[row.father];
          if (row.mother > 0) row.mother = rename[row.mother];
        }
      }
      rows.insert(rows.end(), family.begin(), family.end());
    }

    for (StageRun* run : {&indexed, &reference}) {
      run->console.output.clear();
      run->stopped = false;
      for (std::size_t i = 1; i <= rows.size(); ++i) run->ctx->store.PRACE[i].fill(0.0);
    }
    FillStore(indexed.ctx->store, rows, nrac);
    FillStore(reference.ctx->store, rows, nrac);
    RunStage(indexed, &FINDBLOOD);
    RunStage(reference, &ReferenceFINDBLOOD);
    ASSERT_EQ(indexed.stopped, reference.stopped);
    ASSERT_EQ(indexed.console.output, reference.console.output);
    for (std::size_t i = 1; i <= rows.size(); ++i) {
      // The bits must be equal, not just the values.
      ASSERT_EQ(std::memcmp(  // NOLINT(bugprone-suspicious-memory-comparison)
                    indexed.ctx->store.PRACE[i].data(), reference.ctx->store.PRACE[i].data(),
                    sizeof(indexed.ctx->store.PRACE[i])),
                0)
          << "position " << i;
    }
  }
}

}  // namespace
}  // namespace pedprep
