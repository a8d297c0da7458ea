// The import's options as given, and what the import reads and prepares with, settled from
// them in one place.
#ifndef PEDPREP_IMPORT_IMPORT_OPTIONS_H_
#define PEDPREP_IMPORT_IMPORT_OPTIONS_H_

#include <array>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "import/herdbook.h"
#include "import/pedigree_builder.h"
#include "records/file_system.h"

namespace pedprep {

// The options as given. The command line checks each value on its own (a range, a spelling);
// SettleImport checks them against each other, the output folder and what the run accepts.
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

// What the import reads and prepares with.
struct ImportSettings {
  std::vector<HerdbookFormat> formats;  // one a herd book, in the order given
  PrepareOptions prepare;               // without the keep file's ids (read with the books)
  std::string marker_file;              // the name the run reads from DEF.DAT
};

// Settles `options` before anything is read: an existing input folder in `output_folder`
// without `force`, the number of herd books, --select against the markers, the --prefix-ids
// prefixes, the marker file the run would refuse, --sex-codes, the birth years, --recode and
// --rename-breed, in this order. At the first fault writes "pedprep import: ..." on `err` and
// returns kExitUsage; else fills `settings` and returns kExitSuccess.
int SettleImport(const ImportOptions& options, std::ostream& err, FileSystem& output_folder,
                 ImportSettings* settings);

// Adds one breed label and the label to use to `map`; false (and nothing added) when either
// is empty.
bool AddBreedLabel(const std::string& from, const std::string& to,
                   std::map<std::string, std::string, std::less<>>* map);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_IMPORT_OPTIONS_H_
