// The marker definition file DEF.DAT, fixed-column text records read by records/text_reader.h:
//   record 1  a title (A20, not used)
//   record 2  NAME1, the marker file's name: columns 1-20, blank-padded; what a line holds
//             past column 20 is never read
//   records 3 and 4  not used (A20)
//   record 5  ITR (I2): which of a marker record's values is taken
// Every reader of the file (the export, the folder check, show, the import's replacement of an
// earlier run) goes through these two functions, so all of them see the same NAME1.
#ifndef PEDPREP_RECORDS_DEFINITION_FILE_H_
#define PEDPREP_RECORDS_DEFINITION_FILE_H_

#include <cstdint>
#include <string>

#include "records/file_system.h"

namespace pedprep {

inline constexpr int kMarkerNameLength = 20;

struct MarkerDefinition {
  std::string name1;  // kMarkerNameLength characters as read, blank-padded
  int32_t itr = 0;
};

// Records 1 and 2 of `file_name` in `folder`: NAME1. Throws InputError when the file cannot
// be opened or a record cannot be read.
std::string ReadMarkerFileRecord(FileSystem& folder, const std::string& file_name);

// Records 1 to 5: NAME1 and ITR, unchecked. Throws InputError as ReadMarkerFileRecord, and
// for a record 5 that is not a number.
MarkerDefinition ReadMarkerDefinition(FileSystem& folder, const std::string& file_name);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_DEFINITION_FILE_H_
