// Whether a folder's outputs still belong to its inputs: the run record (PEDPREP.RUN) that a
// successful run writes with its outputs, held against the files as they are now. show,
// report, animals and draw check it before they look at a folder (cli's LookAtFolder).
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
  std::vector<std::string> findings;  // "FILE changed after the run that wrote these outputs"
  std::string advice;                 // "run pedprep run FOLDER again"
};

// How a command looks at a folder, which decides what a stale folder allows.
enum class FolderLook {
  kOutputs,      // reads the outputs a run wrote (show): a stale folder is refused
  kRunOnInputs,  // runs in memory and shows rows or positions (animals, draw): a stale folder
                 // is refused when a run on the current inputs would finish (the next run
                 // mends it), and noted when it would stop (so the stop can be looked at)
  kExplain,      // tells what a run on the current inputs does (report): a stale folder is
                 // noted in one line
};

// `folder_name` is the folder as the user gave it ("" = the current folder), for the advice.
FolderCheck CheckFolder(FileSystem& folder, const std::string& folder_name);

// Tells `err` what the check found, each line starting "pedprep COMMAND: ": the findings of
// a stale folder with the advice to run again (or, where `look` goes on, one note line naming
// the first finding), a warning for outputs without a record, and, for kOutputs, that a
// folder without a run has nothing to look at. Returns false when the command must not go on
// (then its exit status is kExitStopped).
bool PassFolderCheck(FileSystem& folder, const std::string& folder_name, const std::string& command,
                     FolderLook look, std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_FOLDER_CHECK_H_
