// `pedprep mate --plan`: every dam of a list gets one sire of another, no sire more than N
// dams, so that the calves' mean inbreeding is the least any such plan has.
//
// The plan is a least-cost flow (LEMON's network simplex): a source gives each sire up to N
// dams, each sire-dam arc costs the calf's F (the parents' kinship, reports/kinship.h, one
// product per sire) and carries at most one, each dam takes one. Costs are F in units of
// 1e-12, so a plan is the least to within 1e-12 per calf.
//
// With a native breed (--native), a second goal: among the plans of least mean F, the one
// whose calves are least often identical by descent at native alleles (the least sum of the
// pairs' fN, reports/kinship.h): the arcs no least-F plan may use are closed, those every
// least-F plan uses are fixed (by their reduced costs), and a second flow is solved.
//
// Output: the dams in the file's order with their sire and the calf's F (6 decimals),
// columns dam, sire, F; CSV (RFC 4180, header line) with --csv, else aligned columns. Then
//   mean F of the plan: X
//   mean F of random mating: X    (the mean over every sire-dam pair)
//   native kinship of the plan: X          (with --native: the sum of fN over the sum of g of
//   native kinship of random mating: X      the plan's pairs, and of every pair)
// after the table, or on `err` with --csv.
#ifndef PEDPREP_REPORTS_MATING_PLAN_H_
#define PEDPREP_REPORTS_MATING_PLAN_H_

#include <cstdint>
#include <ostream>
#include <vector>

#include "reports/mate.h"

namespace pedprep {

// The sire of each dam in a plan of least total cost[sire][dam] in which no sire has more
// than `max_per_sire` dams; among plans of equal cost (to 1e-12 a pair), the one of least
// total tie_cost[sire][dam] (when given). Empty when no plan exists (sires x max_per_sire <
// dams).
std::vector<int32_t> LeastCostPlan(const std::vector<std::vector<double>>& cost,
                                   int32_t max_per_sire,
                                   const std::vector<std::vector<double>>& tie_cost = {});

// Returns 0 with the plan on `out`; 64 when no plan can be made (an id naming no animal, a
// dummy or one without F, a female sire or male dam, an animal listed twice, no sire or no
// dam, sires x N < dams, more than 10,000,000 sire-dam pairs, a breed not in the legend:
// one line each on `err`); 1 when --native
// is asked for and the run stops before the breed fractions are known; 70 when the run's
// copies cannot be matched to the animals read (a fault inside pedprep).
int RunMatePlan(const RunFacts& facts, const MateRequest& request, std::ostream& out,
                std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_REPORTS_MATING_PLAN_H_
