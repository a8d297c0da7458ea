// Data the export stages hand on to each other: the nation codes and the marker file name.
#ifndef PEDPREP_EXPORT_EXPORT_STATE_H_
#define PEDPREP_EXPORT_EXPORT_STATE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace pedprep {

inline constexpr int kMaxIdentifier = 32767;

struct ExportState {
  ExportState();
  ExportState(const ExportState&) = delete;
  ExportState& operator=(const ExportState&) = delete;

  // NAZ(i): nation code by database identifier 1..32767 until the marker merge re-indexes
  // it by position 1..ND.
  std::vector<int8_t> NAZ;
  // NAME1: DEF.DAT record 2, 20 characters: the marker file name for the binary export.
  std::string NAME1;
};

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_EXPORT_STATE_H_
