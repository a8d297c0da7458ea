#include "export/marker_match.h"

#include <optional>

#include "core/pedigree_store.h"
#include "core/value_table.h"
#include "export/export_state.h"

namespace pedprep {

// Only identifiers that fit 16 bits can equal an INI_ID. The last record per identifier is
// noted first, then each position looks its identifier up: ND + N steps instead of ND x N.
void MatchMarkers(const PedigreeStore& store, const ExportState& exports,
                  const std::vector<MarkerRecord>& records, ImasTable& imas) {
  ValueTable<std::optional<int32_t>> last_value;
  for (const MarkerRecord& rec : records) {
    if (ValueTable<int32_t>::Holds(rec.kod)) last_value[rec.kod] = rec.value;
  }
  const int nd = store.ND < kMaxRows ? store.ND : kMaxRows;
  for (int k = 1; k <= nd; ++k) {
    const int id = store.INI_ID[k];
    if (!last_value[id]) continue;
    imas[k][8] = *last_value[id];
    imas[k][9] = exports.NationOf(id);
  }
}

}  // namespace pedprep
