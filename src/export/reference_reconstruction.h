// Straightforward versions of the export's matching and rebuilding: rows inserted in place,
// every lookup a linear scan. The fast versions must give exactly the same store.
#ifndef PEDPREP_EXPORT_REFERENCE_RECONSTRUCTION_H_
#define PEDPREP_EXPORT_REFERENCE_RECONSTRUCTION_H_

namespace pedprep {

struct RunContext;

void ReferenceRECONSTRUCTION(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_REFERENCE_RECONSTRUCTION_H_
