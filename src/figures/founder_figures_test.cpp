#include "figures/founder_figures.h"

#include <gtest/gtest.h>

namespace pedprep {
namespace {

constexpr int32_t U = kUnknownParent;

struct Expected {
  int32_t founders;
  int32_t half_founders;
  double mean_ecg;
  std::optional<double> fe, fa, ne;
};

void ExpectFigures(const FounderFigures& f, const Expected& e) {
  EXPECT_EQ(f.founders, e.founders);
  EXPECT_EQ(f.half_founders, e.half_founders);
  EXPECT_NEAR(f.MeanEcg(), e.mean_ecg, 1e-12);
  for (const auto& [got, want] : {std::pair{f.Fe(), e.fe}, {f.Fa(), e.fa}, {f.Ne(), e.ne}}) {
    ASSERT_EQ(got.has_value(), want.has_value());
    if (want) {
      EXPECT_NEAR(*got, *want, 1e-9);
    }
  }
}

TEST(FounderFigures, HandWorkedPedigrees) {
  struct Case {
    const char* name;
    std::vector<ParentLinks> links;
    std::vector<bool> placeholder;
    std::vector<bool> reference;
    Expected expected;
    FounderConventions conventions = {};
  };
  const std::vector<Case> cases = {
      // 2 and 3 full sibs, 4 their calf (F 1/4, ecg 2): dF = 1/4, Ne = 2.
      {"full-sib mating",
       {{U, U}, {U, U}, {0, 1}, {0, 1}, {2, 3}},
       {},
       {false, false, true, true, true},
       {2, 0, 4.0 / 3, 2.0, 2.0, 2.0}},
      // 3 is the calf of 0 x 1; 4 of 3 x the founder 2. p = 1/4, 1/4, 1/2: fe = 8/3; the
      // bottleneck 3 makes fa = 2 (2 and 3 tie at 1/2, 2 comes first, then 3 adds 1/2). No
      // inbreeding: no Ne.
      {"bottleneck",
       {{U, U}, {U, U}, {U, U}, {0, 1}, {3, 2}},
       {},
       {false, false, false, false, true},
       {3, 0, 1.5, 8.0 / 3, 2.0, std::nullopt}},
      // 2's dam 1 is a placeholder: 2 stands for a founder of its own with p = 1/2.
      {"a dummy dam",
       {{U, U}, {U, U}, {0, 1}},
       {false, true, false},
       {false, false, true},
       {1, 1, 0.5, 2.0, 2.0, std::nullopt}},
      // 2 (sire 0, dam a dummy) has three calves by the founders 3, 4, 5. Taking 2 (q 1/2)
      // takes its unknown dam's half too: then 3, 4 and 5 at 1/6 each; fa = 3. p: 1/4 for 0
      // and for the phantom dam, 1/6 for 3, 4, 5: fe = 24/5.
      {"a half-founder taken as an ancestor",
       {{U, U}, {U, U}, {0, 1}, {U, U}, {U, U}, {U, U}, {2, 3}, {2, 4}, {2, 5}},
       {false, true, false, false, false, false, false, false, false},
       {false, false, false, false, false, false, true, true, true},
       {4, 1, 1.25, 24.0 / 5, 3.0, std::nullopt}},
      // The same with the phantom dam given no share: K = 3/4 traced, p = 1/3, 2/9, 2/9, 2/9
      // (fe = 27/7); 0 and 2 tie at q = 1/3, 0 comes first and leaves 2 nothing.
      {"rescale",
       {{U, U}, {U, U}, {0, 1}, {U, U}, {U, U}, {U, U}, {2, 3}, {2, 4}, {2, 5}},
       {false, true, false, false, false, false, false, false, false},
       {false, false, false, false, false, false, true, true, true},
       {4, 1, 1.25, 27.0 / 7, 27.0 / 7, std::nullopt},
       {HalfFounders::kRescale, false}},
      // c(0) = 1/4 + 1/12 + 1/6 and c(3) = 1/3 + 1/6 differ by a rounding step: both count as
      // 1/2 and 0 is taken first, then 1 (1/3) and the phantom sire of 5 (1/6): fa = 18/7
      // (taking 3 first would give 2.88). p the same: fe = 18/7; 4 has F 1/4, ecg 3/2: Ne 8/7.
      {"a tie a rounding step apart",
       {{U, U}, {U, U}, {0, 1}, {1, 0}, {2, 0}, {3, U}},
       {},
       {false, false, false, true, true, true},
       {2, 1, 7.0 / 6, 18.0 / 7, 18.0 / 7, 8.0 / 7}},
      // Shallow reference animals (ecg 1) count in Ne with no rise in F: mean dF 1/12.
      {"full-sib mating, shallow animals in Ne",
       {{U, U}, {U, U}, {0, 1}, {0, 1}, {2, 3}},
       {},
       {false, false, true, true, true},
       {2, 0, 4.0 / 3, 2.0, 2.0, 6.0},
       {HalfFounders::kPhantom, true}},
      {"no reference",
       {{U, U}},
       {},
       {false},
       {0, 0, 0.0, std::nullopt, std::nullopt, std::nullopt}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const AncestryFigures figures = ComputeAncestry(c.links, c.placeholder);
    ExpectFigures(ComputeFounderFigures(c.links, c.placeholder, figures, c.reference, 0,
                                        static_cast<int32_t>(c.links.size()), c.conventions),
                  c.expected);
  }
}

// Two closed families worked out apart and combined give the figures of the two as one, with
// either convention for the half-founder 10 (a family's share of the genes traced to founders
// weighs its figures when half-founders are rescaled).
TEST(FounderFigures, CombinedFamiliesEqualTheWhole) {
  const std::vector<ParentLinks> links = {{U, U}, {U, U}, {0, 1}, {0, 1}, {2, 3}, {U, U},
                                          {U, U}, {U, U}, {5, 6}, {8, 7}, {9, U}};
  const std::vector<bool> reference = {false, false, true, true, true, false,
                                       false, false, true, true, true};
  const AncestryFigures figures = ComputeAncestry(links);
  for (const HalfFounders half : {HalfFounders::kPhantom, HalfFounders::kRescale}) {
    SCOPED_TRACE(static_cast<int>(half));
    const FounderFigures whole =
        ComputeFounderFigures(links, {}, figures, reference, 0, 11, {half, false});
    const FounderFigures parts =
        Combine({ComputeFounderFigures(links, {}, figures, reference, 0, 5, {half, false}),
                 ComputeFounderFigures(links, {}, figures, reference, 5, 11, {half, false})});
    ExpectFigures(parts, {whole.founders, whole.half_founders, whole.MeanEcg(), whole.Fe(),
                          whole.Fa(), whole.Ne()});
    EXPECT_EQ(parts.founders, 5);
  }
}

}  // namespace
}  // namespace pedprep
