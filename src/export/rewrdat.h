// Marker merge, ped.dat and the store update for the binary export; ends with UNFORM.
#ifndef PEDPREP_EXPORT_REWRDAT_H_
#define PEDPREP_EXPORT_REWRDAT_H_

#include <cstdint>

namespace pedprep {

struct RunContext;

void REWRDAT(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_REWRDAT_H_
