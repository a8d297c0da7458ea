// Nation codes from database/pedigree.dat and parent copies for selected copies.
#ifndef PEDPREP_EXPORT_RECONSTRUCTION_H_
#define PEDPREP_EXPORT_RECONSTRUCTION_H_

#include <cstdint>

namespace pedprep {

struct RunContext;

void RECONSTRUCTION(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_RECONSTRUCTION_H_
