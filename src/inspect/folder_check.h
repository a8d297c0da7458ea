// Whether a folder's outputs still belong to its inputs: the run record (PEDPREP.RUN) that a
// successful run writes with its outputs, held against the files as they are now. show,
// report and draw check it before they look at a folder.
//
// Findings, one each, in this order: the record cannot be read; a recorded input or output
// that is gone or whose bytes changed; ids.csv present but not recorded; an output of a run
// (ped.dat, PEDIGREE, ID.PE, the marker file DEF.DAT names) that the record does not name.
#ifndef PEDPREP_INSPECT_FOLDER_CHECK_H_
#define PEDPREP_INSPECT_FOLDER_CHECK_H_

#include <ostream>
#include <string>
#include <vector>

#include "records/file_system.h"

namespace pedprep {

struct FolderCheck {
  enum class State {
    kNoRun,       // neither outputs nor a record: no run has written here
    kUnrecorded,  // outputs without a record (written before runs kept one)
    kCurrent,     // the record matches every file
    kStale,       // see findings
  };
  State state = State::kNoRun;
  std::vector<std::string> findings;  // "FILE changed after the run ...; run pedprep run F again"
};

// `folder_name` is the folder as the user gave it ("" = the current folder), for the advice.
FolderCheck CheckFolder(FileSystem& folder, const std::string& folder_name);

// First takes the folder's lock for reading (waiting while a run or an import writes it),
// held as long as `folder` lives. Then tells `err` what the check found, each line starting
// "pedprep COMMAND: ": the findings of a stale folder, a warning for outputs without a record, and,
// with `needs_outputs`, that a folder without a run has nothing to look at. Returns false when the
// command must not go on (then its exit status is kExitStopped).
bool PassFolderCheck(FileSystem& folder, const std::string& folder_name, const std::string& command,
                     bool needs_outputs, std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_FOLDER_CHECK_H_
