#include "structure/workspace.h"

namespace pedprep {

StructureWorkspace::StructureWorkspace()
    : INP1(3, 0), INF1(1, 0), LUK1(1, 0), LBACK(1, 0), IVISITED(1, 0), ININF1(1, 0),
      NINDK(kQueueEntries + 1, {0, 0, 0}), IPLUSFAM(2, 0) {}

}  // namespace pedprep
