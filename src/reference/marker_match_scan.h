// Marker matching as N x ND comparisons, record after record.
#ifndef PEDPREP_REFERENCE_MARKER_MATCH_SCAN_H_
#define PEDPREP_REFERENCE_MARKER_MATCH_SCAN_H_

#include <vector>

#include "export/marker_match.h"

namespace pedprep {

void ReferenceMatchMarkers(const PedigreeStore& store, const ExportState& exports,
                           const std::vector<MarkerRecord>& records, ImasTable& imas);

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_MARKER_MATCH_SCAN_H_
