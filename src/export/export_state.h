// Data the export stages hand on to each other: the nation codes, the marker file name and
// the bytes of the pedigree table waiting to be written with the binary files.
#ifndef PEDPREP_EXPORT_EXPORT_STATE_H_
#define PEDPREP_EXPORT_EXPORT_STATE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pedprep {

inline constexpr int kMaxIdentifier = 32767;

// The nation code of a database identifier. The database pedigree lists identifiers
// 1..32767; an identifier of 0 or below has no database record and so nation code 0.
inline constexpr int kNoNation = 0;

struct ExportState {
  ExportState();
  ExportState(const ExportState&) = delete;
  ExportState& operator=(const ExportState&) = delete;

  // NAZ(i): nation code by database identifier 1..32767 until the marker merge re-indexes
  // it by position 1..ND.
  std::vector<int8_t> NAZ;
  // NAME1: DEF.DAT record 2, 20 characters: the marker file name for the binary export.
  std::string NAME1;
  // The complete bytes of ped.dat, built by the marker merge and written by the binary
  // export together with its own files (all or none). Empty when no table was built.
  std::optional<std::string> ped_dat;

  // Nation code of database identifier `id` while NAZ is indexed by identifier.
  int8_t NationOf(int id) const {
    return (id >= 1 && id <= kMaxIdentifier) ? NAZ[id] : int8_t{kNoNation};
  }
};

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_EXPORT_STATE_H_
