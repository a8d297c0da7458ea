// Which names DEF.DAT may give the marker file.
#ifndef PEDPREP_EXPORT_MARKER_FILE_NAME_H_
#define PEDPREP_EXPORT_MARKER_FILE_NAME_H_

#include <string>
#include <string_view>

namespace pedprep {

// Why `name` (DEF.DAT record 2 without its leading and trailing blanks) cannot name the
// marker file, or "" when it can. Refused: an empty name, a zero byte, an absolute name
// (leading "/" or "\"), a path component ".." (components split at "/" and "\"), and, with
// empty and "." components dropped, any of the run's own input or output files, compared
// ignoring case. A name in a subfolder (database/trait.bin) is allowed.
std::string MarkerFileNameProblem(std::string_view name);

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_MARKER_FILE_NAME_H_
