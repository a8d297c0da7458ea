// Segmented binary analysis files PEDIGREE, ID.PE and the marker file; success line and pause.
#ifndef PEDPREP_EXPORT_UNFORM_H_
#define PEDPREP_EXPORT_UNFORM_H_

#include <cstdint>

namespace pedprep {

struct RunContext;

void UNFORM(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_UNFORM_H_
