// Straightforward versions of the export's matching and rebuilding: rows inserted in place,
// every lookup a linear scan. The fast versions must give exactly the same store.
#ifndef PEDPREP_REFERENCE_RECONSTRUCTION_SCAN_H_
#define PEDPREP_REFERENCE_RECONSTRUCTION_SCAN_H_

namespace pedprep {

struct ExportState;
struct RunContext;

void ReferenceRECONSTRUCTION(RunContext& ctx, ExportState& exports);

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_RECONSTRUCTION_SCAN_H_
