// `pedprep import`: a herd book in, a complete input folder (and ids.csv) out.
#ifndef PEDPREP_IMPORT_IMPORT_COMMAND_H_
#define PEDPREP_IMPORT_IMPORT_COMMAND_H_

#include <ostream>
#include <string>
#include <vector>

#include "core/exit_status.h"
#include "import/herdbook.h"
#include "records/file_system.h"

namespace pedprep {

struct ImportOptions {
  std::string herdbook;             // name as given; read through `input_files`
  std::string output_folder = ".";  // shown in messages; written through `output_folder`
  char delimiter = 0;               // 0: detected from the header
  std::vector<std::string> missing;
  std::vector<std::string> markers;
  std::string keep_file;  // empty: keep every animal
  int generations = -1;   // -1: all
  Sex default_sex = Sex::kUnknown;
  std::string default_breed;
  int select = 1;
  std::string marker_file = "MARKERS.BIN";
  bool force = false;
};

// Reads the herd book (and the keep file) through `input_files`, reports every problem on
// `err` ("FILE:LINE: message" lines, then a count) and writes nothing when there is any;
// otherwise writes the files of the input folder through `output_folder` all-or-nothing and
// the summary on `out`. An existing PEDIGREE.PRN, DEF.DAT or database/*.dat there is replaced
// only with `force`. Returns kExitSuccess when the folder was written, kExitStopped when the
// herd book or the keep file holds problems, kExitInputError when a file cannot be read or
// written or an input file exists without `force`.
int RunImport(const ImportOptions& options, std::ostream& out, std::ostream& err,
              FileSystem& input_files, FileSystem& output_folder);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_IMPORT_COMMAND_H_
