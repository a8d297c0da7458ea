// `pedprep import`: a herd book in, a complete input folder (and ids.csv) out.
#ifndef PEDPREP_IMPORT_IMPORT_COMMAND_H_
#define PEDPREP_IMPORT_IMPORT_COMMAND_H_

#include <ostream>

#include "core/exit_status.h"
#include "import/import_options.h"
#include "records/file_system.h"

namespace pedprep {

// Reads the herd books (and the keep file and the breed map) through `input_files`, reports
// every problem on `err` ("FILE:LINE: message" lines in line order, the same kind in the
// same column summed up past its first 5 lines, then a count) and writes nothing when there
// is any; otherwise writes the files of the input folder through `output_folder`
// all-or-nothing and the summary on `out`. An existing PEDIGREE.PRN, DEF.DAT or
// database/*.dat there is replaced only with `force`, which first removes an earlier run's
// outputs and record from it (the marker file by the name the old DEF.DAT gives,
// when the run would accept that name) and lists them in the summary. Returns kExitSuccess
// when the folder was written, kExitStopped when the herd books or the keep file hold
// problems or the result would not fit the run, kExitInputError when a file cannot be read
// or written, an input file exists without `force`, or an option the run would refuse
// (`select`, `marker_file`) or a code map is wrong.
int RunImport(const ImportOptions& options, std::ostream& out, std::ostream& err,
              FileSystem& input_files, FileSystem& output_folder);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_IMPORT_COMMAND_H_
