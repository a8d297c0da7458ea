#include "figures/inbreeding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>

namespace pedprep {
namespace {

constexpr int32_t U = kUnknownParent;

// The tabular method: the whole relationship matrix, row by row, with parents before
// offspring (`order` lists the animals so).
std::vector<double> TabularInbreeding(const std::vector<ParentLinks>& links,
                                      const std::vector<int32_t>& order) {
  const std::size_t n = links.size();
  std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
  std::vector<bool> done(n, false);
  for (int32_t animal : order) {
    const auto i = static_cast<std::size_t>(animal);
    const int32_t s = links[i].father;
    const int32_t d = links[i].mother;
    for (std::size_t j = 0; j < n; ++j) {
      if (!done[j]) continue;
      double sum = 0.0;
      if (s != U) sum += a[j][static_cast<std::size_t>(s)];
      if (d != U) sum += a[j][static_cast<std::size_t>(d)];
      a[i][j] = a[j][i] = 0.5 * sum;
    }
    a[i][i] =
        1.0 + (s != U && d != U ? 0.5 * a[static_cast<std::size_t>(s)][static_cast<std::size_t>(d)]
                                : 0.0);
    done[i] = true;
  }
  std::vector<double> f(n);
  for (std::size_t i = 0; i < n; ++i) f[i] = a[i][i] - 1.0;
  return f;
}

TEST(ComputeAncestry, HandWorkedPedigrees) {
  struct Case {
    const char* name;
    std::vector<ParentLinks> links;
    int32_t animal;  // the animal whose figures are checked
    double f;
    int32_t generation;
  };
  const std::vector<Case> cases = {
      // 0, 1 founders; 2, 3 their children; 4 of the full sibs.
      {"full-sib mating", {{U, U}, {U, U}, {0, 1}, {0, 1}, {2, 3}}, 4, 0.25, 2},
      // 2 and 3 share the father 0 only.
      {"half-sib mating", {{U, U}, {U, U}, {U, U}, {0, 1}, {0, 2}, {3, 4}}, 5, 0.125, 2},
      // 2 is the daughter of 0; 3 the child of 0 and 2.
      {"parent-offspring mating", {{U, U}, {U, U}, {0, 1}, {0, 2}}, 3, 0.25, 2},
      // 4 (F = 1/4) is the father of 7 and 8 by unrelated dams 5 and 6; 9 is their child:
      // F = 1/2 * 1/4 * (1 + F(4)) = 0.15625.
      {"three-generation loop with an inbred ancestor",
       {{U, U}, {U, U}, {0, 1}, {0, 1}, {2, 3}, {U, U}, {U, U}, {4, 5}, {4, 6}, {7, 8}},
       9,
       0.15625,
       4},
      // The same pedigree listed offspring first: the order of the animals does not matter.
      {"offspring before parents", {{1, 2}, {3, 4}, {3, 4}, {U, U}, {U, U}}, 0, 0.25, 2},
      // Selfing: F = 1/2 (1 + F(0)).
      {"selfing", {{U, U}, {0, 0}, {1, 1}}, 2, 0.75, 2},
      // One parent unknown: no common ancestor through it.
      {"one parent unknown", {{U, U}, {U, U}, {0, 1}, {2, U}}, 3, 0.0, 2},
      // A parent index outside the pedigree counts as unknown.
      {"parent out of range", {{U, U}, {0, 7}, {-5, 0}}, 2, 0.0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const AncestryFigures figures = ComputeAncestry(c.links);
    const auto k = static_cast<std::size_t>(c.animal);
    EXPECT_TRUE(figures.resolved[k]);
    EXPECT_NEAR(figures.inbreeding[k], c.f, 1e-12);
    EXPECT_EQ(figures.generation[k], c.generation);
  }
}

TEST(ComputeAncestry, CompletenessCountsPlaceholdersAsUnknown) {
  struct Case {
    const char* name;
    std::vector<ParentLinks> links;
    std::vector<bool> placeholder;
    std::vector<double> ecg;
    std::vector<int32_t> complete;
  };
  const std::vector<Case> cases = {
      // Every path counts: 4's grandparent 0 stands twice, two generations back.
      {"full-sib mating",
       {{U, U}, {U, U}, {0, 1}, {0, 1}, {2, 3}},
       {},
       {0, 0, 1, 1, 2},
       {0, 0, 1, 1, 2}},
      {"a parent unknown", {{U, U}, {0, U}, {U, U}, {1, 2}}, {}, {0, 0.5, 0, 1.25}, {0, 0, 0, 1}},
      // 4's parents have 1 and 0 complete generations: it has 1, the smaller plus one.
      {"parents of unequal depth",
       {{U, U}, {U, U}, {0, 1}, {U, U}, {2, 3}},
       {},
       {0, 0, 1, 0, 1.5},
       {0, 0, 1, 0, 1}},
      // 1 is a placeholder: unknown as 2's parent, its own figures 0 although it has a parent.
      {"placeholder", {{U, U}, {0, U}, {0, 1}}, {false, true, false}, {0, 0, 0.5}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const AncestryFigures figures = ComputeAncestry(c.links, c.placeholder);
    EXPECT_EQ(figures.ecg, c.ecg);
    EXPECT_EQ(figures.complete, c.complete);
  }
}

TEST(ComputeAncestry, OwnAncestorsAndTheirDescendantsGetNoFigures) {
  // 2 and 3 are each other's fathers; 4 descends from 3; 5 is its own father; 6 is sound.
  const std::vector<ParentLinks> links = {{U, U}, {U, U}, {3, 1}, {2, 1}, {3, 0}, {5, 1}, {0, 1}};
  const AncestryFigures figures = ComputeAncestry(links);
  const std::vector<bool> resolved = {true, true, false, false, false, false, true};
  EXPECT_EQ(figures.resolved, resolved);
  EXPECT_EQ(figures.generation[4], -1);
  EXPECT_EQ(figures.generation[6], 1);
}

TEST(ComputeAncestry, EqualsTheTabularMethodOnRandomPedigrees) {
  std::mt19937 random(20240601);
  for (int trial = 0; trial < 40; ++trial) {
    const int n = 2 + static_cast<int>(random() % 300);
    // Built parents first, then listed in a shuffled order.
    std::vector<ParentLinks> built(static_cast<std::size_t>(n));
    const int founders = 1 + static_cast<int>(random() % 8);
    for (int i = founders; i < n; ++i) {
      // Recent animals are picked more often, so that matings of relatives abound.
      const auto pick = [&]() -> int32_t {
        if (random() % 10 == 0) return U;
        const int span = std::min(i, 1 + static_cast<int>(random() % 30));
        return i - 1 - static_cast<int32_t>(random() % static_cast<unsigned>(span));
      };
      built[static_cast<std::size_t>(i)] = {pick(), pick()};
    }
    std::vector<int32_t> place(static_cast<std::size_t>(n));  // built index -> listed index
    std::iota(place.begin(), place.end(), 0);
    std::shuffle(place.begin(), place.end(), random);
    std::vector<ParentLinks> listed(static_cast<std::size_t>(n));
    const auto moved = [&place](int32_t p) {
      return p == U ? U : place[static_cast<std::size_t>(p)];
    };
    for (std::size_t i = 0; i < built.size(); ++i) {
      listed[static_cast<std::size_t>(place[i])] = {moved(built[i].father), moved(built[i].mother)};
    }

    SCOPED_TRACE("trial " + std::to_string(trial) + ", " + std::to_string(n) + " animals");
    const std::vector<double> expected = TabularInbreeding(listed, place);
    const AncestryFigures figures = ComputeAncestry(listed);
    for (std::size_t i = 0; i < listed.size(); ++i) {
      ASSERT_TRUE(figures.resolved[i]);
      ASSERT_NEAR(figures.inbreeding[i], expected[i], 1e-9) << "animal " << i;
    }
    // A planned calf of two animals (possibly one animal twice) has the F it has once born.
    CalfInbreeding calf(listed, figures);
    for (int pair = 0; pair < 3; ++pair) {
      const auto sire = static_cast<int32_t>(random() % static_cast<unsigned>(n));
      const auto dam = static_cast<int32_t>(pair == 2 ? sire : random() % static_cast<unsigned>(n));
      std::vector<ParentLinks> born = listed;
      born.push_back({sire, dam});
      std::vector<int32_t> order = place;
      order.push_back(n);
      ASSERT_NEAR(calf.Of(sire, dam), TabularInbreeding(born, order)[static_cast<std::size_t>(n)],
                  1e-9)
          << "calf of " << sire << " and " << dam;
    }
  }
}

}  // namespace
}  // namespace pedprep
