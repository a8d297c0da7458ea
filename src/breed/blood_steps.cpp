#include "breed/blood_steps.h"

#include <algorithm>
#include <cmath>

#include "core/run_context.h"
#include "records/console.h"

namespace pedprep {

namespace {

// The sum check's tolerance is single-precision 0.001, compared in double.
const double kSumTolerance = static_cast<double>(0.001f);

}  // namespace

void SetFounderFractions(PedigreeStore& store, std::vector<int32_t>& known) {
  const int nd = std::clamp(store.ND, 0, kMaxRows);
  const int columns = store.BreedColumns();
  known.assign(nd + 1, 0);
  for (int i = 1; i <= nd; ++i) {
    for (int k = 1; k <= columns; ++k) store.PRACE[i][k] = 0.0;
    const int breed = store.MAS1[i][1];
    if (breed != 0) {
      known[i] = 1;
      if (breed <= kMaxBreeds) store.PRACE[i][breed] = 1.0;
    }
  }
}

void SetChildFractions(PedigreeStore& store, int child, int father, int mother) {
  const int columns = store.BreedColumns();
  for (int k = 1; k <= columns; ++k) {
    store.PRACE[child][k] = (store.PRACE[mother][k] + store.PRACE[father][k]) / 2.0;
  }
}

void StopForUnresolvedBlood(RunContext& ctx, const std::vector<PositionRange>& families,
                            const std::vector<int32_t>& known) {
  StopReason reason{.kind = StopKind::kUnresolvedBlood};
  for (const PositionRange& family : families) {
    for (int i = family.first; i <= family.last; ++i) {
      if (known[i] == 0) reason.positions.push_back(i);
    }
  }
  Stop(ctx.console, std::move(reason));
}

void CheckBloodSums(RunContext& ctx) {
  const PedigreeStore& store = ctx.store;
  const int nd = std::clamp(store.ND, 0, kMaxRows);
  const int columns = store.BreedColumns();
  for (int i = 1; i <= nd; ++i) {
    double sum = 0.0;
    for (int k = 1; k <= columns; ++k) sum += store.PRACE[i][k];
    if (std::fabs(1.0 - sum) > kSumTolerance) {
      WriteListDirected(ctx.console, {Str(" BLOOD SUMMED <> 1 IN DATA LINE"), I32(i)});
    }
  }
}

}  // namespace pedprep
