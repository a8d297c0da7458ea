#include "reference/marker_match_scan.h"

#include "core/pedigree_store.h"
#include "export/export_state.h"

namespace pedprep {

void ReferenceMatchMarkers(const PedigreeStore& store, const ExportState& exports,
                           const std::vector<MarkerRecord>& records, ImasTable& imas) {
  for (const MarkerRecord& rec : records) {
    for (int k = 1; k <= store.ND; ++k) {
      if (store.INI_ID[k] == rec.kod) {
        imas[k][8] = rec.value;
        imas[k][9] = exports.NationOf(store.INI_ID[k]);
      }
    }
  }
}

}  // namespace pedprep
