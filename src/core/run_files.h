// The files of a run's folder by name, and which names DEF.DAT may give the marker file.
#ifndef PEDPREP_CORE_RUN_FILES_H_
#define PEDPREP_CORE_RUN_FILES_H_

#include <string>
#include <string_view>

namespace pedprep {

// The run's inputs.
inline constexpr const char* kPassportFile = "PEDIGREE.PRN";
inline constexpr const char* kDefinitionFile = "DEF.DAT";
inline constexpr const char* kDatabasePedigreeFile = "database/pedigree.dat";
inline constexpr const char* kMarkerDataFile = "database/markers.dat";
// The run's outputs besides the marker file that DEF.DAT names.
inline constexpr const char* kPedigreeTableFile = "ped.dat";
inline constexpr const char* kPedigreeBinaryFile = "PEDIGREE";
inline constexpr const char* kIdentifierFile = "ID.PE";
// The record of the run that wrote the outputs (written with them).
inline constexpr const char* kRunRecordFile = "PEDPREP.RUN";
// The import's map from initial identifiers to herd-book ids (not read by the run).
inline constexpr const char* kIdsFile = "ids.csv";

// Why `name` (DEF.DAT record 2 without its leading and trailing blanks) cannot name the
// marker file, or "" when it can. Refused: an empty name, a zero byte, another control byte
// (below 0x20, 0x7F), a name ending in "/" or "\" or naming the database folder, an absolute name
// (leading "/" or "\"), a path component ".." (components split at "/" and "\"), and, with
// empty and "." components dropped, any of the run's own input or output files, its run
// record or the import's ids.csv, compared ignoring case. A name in a subfolder
// (database/trait.bin) is allowed.
std::string MarkerFileNameProblem(std::string_view name);

}  // namespace pedprep

#endif  // PEDPREP_CORE_RUN_FILES_H_
