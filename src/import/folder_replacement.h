// How the import writes an input folder, and where it may not write its problems file.
//
// The folder's files go in as one group under the folder's lock (taken before the first
// removal, held past the last rename): every new file is first written completely under a
// temporary name and flushed; only then, with --force, go the earlier run's outputs (ped.dat,
// PEDIGREE, ID.PE, the marker file the old DEF.DAT names), its record PEDPREP.RUN and the old
// PEDIGREE.PRN; then the new files are renamed into place with PEDIGREE.PRN last. A write that
// fails leaves the folder as it was; a write killed half-way leaves a folder without
// PEDIGREE.PRN and without outputs, which the run and show refuse, never one book's files
// beside another's.
#ifndef PEDPREP_IMPORT_FOLDER_REPLACEMENT_H_
#define PEDPREP_IMPORT_FOLDER_REPLACEMENT_H_

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "records/file_system.h"

namespace pedprep {

// How long the import waits for a run, an import or a reader in the folder to finish.
inline constexpr std::chrono::seconds kImportLockWait(5);

// `name` in the folder the user named `folder` ("" or "." = the current one), for messages.
std::string InFolder(const std::string& folder, const std::string& name);

// Writes `files` into `folder` as above (`folder_name` as the user gave it, for messages).
// Without `force` an existing input file (PEDIGREE.PRN, DEF.DAT, database/*.dat), seen under
// the lock, refuses the write. Returns kExitSuccess and in *removed the earlier run's files
// that were removed (the old PEDIGREE.PRN not among them); otherwise, after one line on `err`
// naming the folder or the file and the problem (the lock's holder), kExitStopped when another
// pedprep holds the lock, kExitUsage for an existing input file without `force`,
// kExitInputError when a file cannot be written or removed.
int ReplaceInputFolder(FileSystem& folder, const std::string& folder_name,
                       std::vector<OutputFile> files, bool force, std::ostream& err,
                       std::vector<std::string>* removed);

// Why the import may not write its problems file `name` (through `input_files`): "" when it
// may; otherwise the reason, when it is one of the files `inputs` the import reads (the same
// file, however named) or lies inside the output folder.
std::string ProblemsFileRefusal(FileSystem& input_files, const std::string& name,
                                const std::vector<std::string>& inputs, FileSystem& output_folder,
                                const std::string& folder_name);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_FOLDER_REPLACEMENT_H_
