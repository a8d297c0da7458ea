#include "reports/mating_plan.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <sstream>
#include <utility>

#include "figures/run_facts.h"
#include "testing/run_folder.h"

namespace pedprep {
namespace {

using Costs = std::vector<std::vector<double>>;

// The least (cost, tie cost) of every plan, by trying them all (infinity when there is none).
std::pair<double, double> BruteForce(const Costs& cost, const Costs& tie, int32_t most) {
  const std::size_t sires = cost.size();
  const std::size_t dams = cost[0].size();
  std::vector<std::size_t> sire_of(dams, 0);
  const double none = std::numeric_limits<double>::infinity();
  std::pair<double, double> best = {none, none};
  while (true) {
    std::vector<int32_t> used(sires, 0);
    std::pair<double, double> total = {0.0, 0.0};
    bool fits = true;
    for (std::size_t d = 0; d < dams; ++d) {
      fits = fits && ++used[sire_of[d]] <= most;
      total.first += cost[sire_of[d]][d];
      total.second += tie[sire_of[d]][d];
    }
    if (fits) best = std::min(best, total);
    std::size_t d = 0;
    while (d < dams && ++sire_of[d] == sires) sire_of[d++] = 0;
    if (d == dams) return best;
  }
}

// Plans with and without a tie cost against every plan; few distinct values (eighths, exact
// in sums), so that ties are common.
TEST(MatingPlan, LeastCostEqualsBruteForce) {
  std::mt19937 random(3838);
  for (int round = 0; round < 400; ++round) {
    const std::size_t sires = 1 + random() % 4;
    const std::size_t dams = 1 + random() % 6;
    const auto most = static_cast<int32_t>(1 + random() % dams);
    Costs cost(sires, std::vector<double>(dams));
    Costs tie = cost;
    for (std::size_t s = 0; s < sires; ++s) {
      for (std::size_t d = 0; d < dams; ++d) {
        cost[s][d] = static_cast<double>(random() % 5) / 8.0;
        tie[s][d] = static_cast<double>(random() % 5) / 8.0;
      }
    }
    const bool tied = round % 2 == 1;
    const std::vector<int32_t> plan = LeastCostPlan(cost, most, tied ? tie : Costs{});
    const std::pair<double, double> best = BruteForce(cost, tie, most);
    if (std::isinf(best.first)) {
      EXPECT_TRUE(plan.empty()) << "round " << round;
      continue;
    }
    ASSERT_EQ(plan.size(), dams) << "round " << round;
    std::vector<int32_t> used(sires, 0);
    std::pair<double, double> total = {0.0, 0.0};
    for (std::size_t d = 0; d < dams; ++d) {
      const auto s = static_cast<std::size_t>(plan[d]);
      ASSERT_LT(s, sires);
      EXPECT_LE(++used[s], most) << "round " << round;
      total.first += cost[s][d];
      total.second += tie[s][d];
    }
    EXPECT_EQ(total.first, best.first) << "round " << round;
    if (tied) {
      EXPECT_EQ(total.second, best.second) << "round " << round;
    }
  }
}

struct Planned {
  int status = 0;
  std::string out, err;
};

Planned Plan(const std::string& sires, const std::string& dams, int most, bool csv = false,
             const std::string& native = "") {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  const MateRequest request = {.csv = csv,
                               .sires_name = "s.txt",
                               .sires_text = sires,
                               .dams_name = "d.txt",
                               .dams_text = dams,
                               .plan = true,
                               .max_per_sire = most,
                               .native = native};
  std::ostringstream out, err;
  Planned p;
  p.status = WithRunFacts(
      folder, err, [&](const RunFacts& facts) { return RunMatePlan(facts, request, out, err); });
  p.out = out.str();
  p.err = err.str();
  return p;
}

// Males 1:1, 1:3 (1:1 x 1:2), 1:5, 2:1; females 1:2, 1:4 (full sib of 1:3), 2:2, 2:3.
TEST(MatingPlan, PlansAcrossFamiliesAndMeansBothWays) {
  Planned p = Plan("1:1\n2:1\n", "1:4\n2:3\n", 0);
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out,
            "  dam  sire         F\n"
            "  1:4  2:1   0.000000\n"
            "  2:3  1:1   0.000000\n"
            "\n"
            "mean F of the plan: 0.000000\n"
            "mean F of random mating: 0.125000\n");
  // Dam by dam, 1:4 would take 1:1 (F 1/4) and leave 1:5 (F 1/4) to 1:2: the plan is better.
  p = Plan("1:1\n1:5\n", "1:4\n1:2\n", 1, true);
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, "dam,sire,F\r\n1:4,1:5,0.375000\r\n1:2,1:1,0.000000\r\n");
  EXPECT_EQ(p.err, "mean F of the plan: 0.187500\nmean F of random mating: 0.218750\n");
  // F 1/4 with either sire of 1:4; the sire related through the native founder 1:1 (itself)
  // has fN 1/4, her full sib 1:3 1/8: the second goal takes 1:3 however listed.
  for (const char* sires : {"1:1\n1:3\n", "1:3\n1:1\n"}) {
    p = Plan(sires, "1:4\n", 1, true, "breed1");
    EXPECT_EQ(p.out, "dam,sire,F\r\n1:4,1:3,0.250000\r\n") << sires;
  }
  EXPECT_EQ(p.err,
            "mean F of the plan: 0.250000\nmean F of random mating: 0.250000\n"
            "native kinship of the plan: 0.500000\nnative kinship of random mating: 0.500000\n");
}

TEST(MatingPlan, PlansThatCannotBeMadeAreUsageErrors) {
  const struct {
    const char* sires;
    const char* dams;
    int most;
    const char* native;
    const char* err;
  } cases[] = {
      {"1:1\nX\x01\n", "1:4\n", 0, "",
       "pedprep mate: s.txt:2: X\\x01 names no animal (a herd-book id of ids.csv or "
       "FAMILY:INDIVIDUAL)\n"},
      {"1:2\n", "1:5\n", 0, "",
       "pedprep mate: s.txt:1: 1:2 is female, not a sire\n"
       "pedprep mate: d.txt:1: 1:5 is male, not a dam\n"},
      {"1:1\n\n 1:1 \n", "1:4\n", 0, "", "pedprep mate: s.txt:3: 1:1 is listed twice\n"},
      {"\n", "1:4\n", 0, "", "pedprep mate: s.txt names no sire\n"},
      {"1:1\n", "1:4\n2:3\n", 1, "",
       "pedprep mate: 1 sire with at most 1 dam each cannot serve 2 dams (--max-per-sire)\n"},
      {"1:1\n2:1\n", "1:4\n2:3\n2:2\n", 1, "",
       "pedprep mate: 2 sires with at most 1 dam each cannot serve 3 dams (--max-per-sire)\n"},
      {"1:1\n", "1:4\n", 0, "breed9",
       "pedprep mate: no breed breed9 in the breed legend (--native)\n"},
  };
  for (const auto& c : cases) {
    const Planned p = Plan(c.sires, c.dams, c.most, false, c.native);
    EXPECT_EQ(p.status, 64) << c.sires;
    EXPECT_EQ(p.out, "") << c.sires;
    EXPECT_EQ(p.err, c.err) << c.sires;
  }
}

}  // namespace
}  // namespace pedprep
