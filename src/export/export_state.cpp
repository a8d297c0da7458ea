#include "export/export_state.h"

namespace pedprep {

ExportState::ExportState() : NAZ(kMaxIdentifier + 1, 0), NAME1(20, ' ') {}

}  // namespace pedprep
