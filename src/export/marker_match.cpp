#include "export/marker_match.h"

#include "core/pedigree_store.h"
#include "export/export_state.h"

namespace pedprep {

// Only identifiers that fit 16 bits can equal an INI_ID. The last record per identifier is
// noted first, then each position looks its identifier up: ND + N steps instead of ND x N.
void MatchMarkers(const PedigreeStore& store, const ExportState& exports,
                  const std::vector<MarkerRecord>& records, ImasTable& imas) {
  constexpr int kOffset = 32768;
  std::vector<int32_t> last_value(65536, 0);
  std::vector<bool> has_record(65536, false);
  for (const MarkerRecord& rec : records) {
    if (rec.kod < -32768 || rec.kod > 32767) continue;
    last_value[rec.kod + kOffset] = rec.value;
    has_record[rec.kod + kOffset] = true;
  }
  const int nd = store.ND < kMaxRows ? store.ND : kMaxRows;
  for (int k = 1; k <= nd; ++k) {
    const int id = store.INI_ID[k];
    if (!has_record[id + kOffset]) continue;
    imas[k][8] = last_value[id + kOffset];
    imas[k][9] = exports.NationOf(id);
  }
}

}  // namespace pedprep
