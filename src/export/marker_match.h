// Attaching marker records to the individuals of the store by initial identifier.
#ifndef PEDPREP_EXPORT_MARKER_MATCH_H_
#define PEDPREP_EXPORT_MARKER_MATCH_H_

#include <array>
#include <cstdint>
#include <vector>

namespace pedprep {

struct PedigreeStore;
struct ExportState;

// One marker record: the identifier KOD and the marker value taken from it.
struct MarkerRecord {
  int32_t kod = 0;
  int32_t value = 0;
};

// The working table of the pedigree table: column i (1..ND) describes position i; rows
// 1..9 are family, individual, father, mother, prob code, sex, INI_ID, marker value,
// nation code. Element 0 of each column and column 0 are unused.
using ImasTable = std::vector<std::array<int32_t, 10>>;

// For every position 1..ND whose INI_ID equals the KOD of some record: row 8 = the value of
// the last such record, row 9 = the nation code of the INI_ID (by database identifier).
// Positions without a matching record keep rows 8 and 9 unchanged.
void MatchMarkers(const PedigreeStore& store, const ExportState& exports,
                  const std::vector<MarkerRecord>& records, ImasTable& imas);

// A marker matching with the contract of MatchMarkers.
using MarkerMatcher = void (*)(const PedigreeStore& store, const ExportState& exports,
                               const std::vector<MarkerRecord>& records, ImasTable& imas);

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_MARKER_MATCH_H_
