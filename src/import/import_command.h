// `pedprep import`: a herd book in, a complete input folder (and ids.csv) out.
#ifndef PEDPREP_IMPORT_IMPORT_COMMAND_H_
#define PEDPREP_IMPORT_IMPORT_COMMAND_H_

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "core/exit_status.h"
#include "import/herdbook.h"
#include "records/file_system.h"

namespace pedprep {

struct ImportOptions {
  std::vector<std::string> herdbooks;  // names as given, read as one book through `input_files`
  std::string output_folder = ".";     // shown in messages; written through `output_folder`
  char delimiter = 0;                  // 0: detected from each header; kBlankSeparated
  std::vector<std::string> missing;    // each a code or a comma list of codes
  bool parents_as_named = false;       // parents that read like missing codes are animals
  std::vector<std::string> markers;
  std::array<std::string, kNamedColumns> columns;  // --id, --sire, ...: a name or a number
  std::vector<std::string> sex_codes;              // "m=M,w=F" each
  std::string breed_map_file;                      // two columns: label in the book, label
  std::vector<std::string> rename_breeds;          // "LABEL=LABEL" each
  std::string keep_file;                           // empty: keep every animal
  int generations = -1;                            // -1: all
  bool generations_auto = false;  // the most generations whose selection fits the run
  int descendants = -1;           // -1: none
  bool repair = false;
  Sex default_sex = Sex::kUnknown;
  std::string default_breed;
  int select = 1;
  std::string marker_file = "MARKERS.BIN";
  bool force = false;
  bool prefix_ids = false;     // ids of each book become "BOOK:id" (BookName)
  bool breed_by_book = false;  // a row without a breed gets its book's name as breed
  std::string problems_file;   // empty: none; else every problem as CSV, through `input_files`
  std::vector<std::string> recodes;               // "COLUMN:FROM=TO" each, COLUMN a --marker column
  TextEncoding encoding = TextEncoding::kDetect;  // of the herd books, keep file, breed map
  long largest_families = -1;                     // -1: every family
  bool drop_isolated = false;  // rows without parent nor offspring in the book left out
  int born_from = 0;           // 0: no bound
  int born_to = 0;
  std::string dummy_breed;  // empty: a dummy takes its child's breed
};

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
