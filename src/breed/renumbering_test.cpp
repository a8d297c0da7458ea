#include "breed/renumbering.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <vector>

#include "core/run_context.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::FillStore;
using Row = testing::PassportRow;

using StageRun = testing::TestRun;

// Individual, father, mother of one position.
using Numbers = std::array<int, 3>;

struct RenumCase {
  const char* name;
  std::vector<Row> rows;
  std::vector<Numbers> expected;
};

TEST(RENUM, Cases) {
  const std::vector<RenumCase> cases = {
      {"already in order",
       {{1, 1, 0, 0}, {1, 2, 0, 0}, {1, 3, 1, 2}},
       {{1, 0, 0}, {2, 0, 0}, {3, 1, 2}}},
      {"swapped numbers keep naming the same parents",
       {{1, 2, 0, 0}, {1, 1, 0, 0}, {1, 3, 2, 1}},
       {{1, 0, 0}, {2, 0, 0}, {3, 1, 2}}},
      {"gaps closed",
       {{1, 1, 0, 0}, {1, 5, 0, 0}, {1, 7, 5, 1}, {1, 9, 7, 5}},
       {{1, 0, 0}, {2, 0, 0}, {3, 2, 1}, {4, 3, 2}}},
      {"duplicate below the next number stays",
       {{1, 1, 0, 0}, {1, 1, 0, 0}, {1, 2, 1, 1}},
       {{1, 0, 0}, {1, 0, 0}, {2, 1, 1}}},
      {"duplicate above the next number follows the first",
       {{1, 1, 0, 0}, {1, 3, 0, 0}, {1, 3, 1, 3}},
       {{1, 0, 0}, {2, 0, 0}, {2, 1, 2}}},
      // The first family's 40 raises the temporary numbers of every family to 41: the second
      // family's reference to 1, which names no member, is moved out of the way to 41.
      {"temporary numbers start above the whole store",
       {{1, 1, 0, 0}, {1, 40, 0, 0}, {2, 2, 0, 0}, {2, 3, 1, 2}},
       {{1, 0, 0}, {2, 0, 0}, {1, 0, 0}, {2, 41, 1}}},
  };
  for (const RenumCase& c : cases) {
    SCOPED_TRACE(c.name);
    StageRun run;
    FillStore(run.ctx->store, c.rows, 1);
    RENUM(*run.ctx);
    const auto& mas = run.ctx->store.MAS;
    for (std::size_t n = 0; n < c.expected.size(); ++n) {
      const Numbers got = {mas[n + 1][1], mas[n + 1][2], mas[n + 1][3]};
      EXPECT_EQ(got, c.expected[n]) << "position " << n + 1;
    }
    EXPECT_EQ(run.console.output, "");
  }
}

// Families with distinct positive numbers in any order: afterwards they are numbered 1..n in
// position order and every parent reference still names the same individual.
TEST(RENUM, ParentsKeepTheirIdentity) {
  std::mt19937 random(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  StageRun run;  // every trial refills the rows it uses
  for (int trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE(trial);
    std::vector<Row> rows;
    int initial_id = 0;
    const int families = pick(1, 4);
    for (int f = 1; f <= families; ++f) {
      std::vector<int> numbers(pick(60, 200));
      for (std::size_t n = 0; n < numbers.size(); ++n) numbers[n] = static_cast<int>(n) + 1;
      std::shuffle(numbers.begin(), numbers.end(), random);
      numbers.resize(pick(1, 40));
      for (int number : numbers) {
        const int size = static_cast<int>(numbers.size());
        const bool founder = pick(0, 2) == 0;
        const int father = founder ? 0 : numbers[pick(0, size - 1)];
        const int mother = founder ? 0 : numbers[pick(0, size - 1)];
        rows.push_back({f, number, father, mother, 0, 1, ++initial_id});
      }
    }
    FillStore(run.ctx->store, rows, 1);
    RENUM(*run.ctx);

    const PedigreeStore& store = run.ctx->store;
    for (int s = 1; s <= store.NumFamilies(); ++s) {
      const int first = store.FamilyFirst(s);
      std::map<int, int> before;  // old number -> identity, from the input rows
      std::map<int, int> after;   // new number -> identity
      for (int i = first; i <= store.FamilyLast(s); ++i) {
        before[rows[i - 1].individual] = rows[i - 1].initial_id;
        after[store.MAS[i][1]] = store.INI_ID[i];
        ASSERT_EQ(store.MAS[i][1], i - first + 1);
      }
      for (int i = first; i <= store.FamilyLast(s); ++i) {
        for (int c = 2; c <= 3; ++c) {
          const int old_ref = c == 2 ? rows[i - 1].father : rows[i - 1].mother;
          if (old_ref == 0) {
            EXPECT_EQ(store.MAS[i][c], 0);
          } else {
            EXPECT_EQ(after[store.MAS[i][c]], before[old_ref]) << "position " << i;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace pedprep
