#include "import/folder_replacement.h"

#include <algorithm>

#include "core/exit_status.h"
#include "core/output_guard.h"
#include "core/run_files.h"
#include "records/definition_file.h"
#include "records/escape.h"
#include "records/input_error.h"

namespace pedprep {
namespace {

constexpr const char* kInputFiles[] = {kPassportFile, kDefinitionFile, kDatabasePedigreeFile,
                                       kMarkerDataFile};

// The marker file the folder's DEF.DAT names (record 2, as the run reads it), when the run
// would accept the name.
std::string EarlierMarkerFile(FileSystem& folder) {
  try {
    const std::string marker = TrimFileName(ReadMarkerFileRecord(folder, kDefinitionFile));
    return MarkerFileNameProblem(marker).empty() ? marker : "";
  } catch (const InputError&) {
    return "";
  }
}

}  // namespace

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder == ".") return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

int ReplaceInputFolder(FileSystem& folder, const std::string& folder_name,
                       std::vector<OutputFile> files, bool force, std::ostream& err,
                       std::vector<std::string>* removed) {
  const std::string shown = folder_name.empty() ? "." : folder_name;
  if (!folder.LockFolder(kImportLockWait)) {
    const std::string holder = folder.LockHolder();
    err << "pedprep import: " << EscapeControlBytes(holder.empty() ? "another pedprep" : holder)
        << " holds the lock on the folder " << EscapeControlBytes(shown) << "; waited "
        << kImportLockWait.count() << " s and wrote nothing. Import again when it has finished.\n";
    return kExitStopped;
  }
  std::vector<std::string> removals;
  if (force) {
    removals = {kPedigreeTableFile, kPedigreeBinaryFile, kIdentifierFile};
    const std::string marker = EarlierMarkerFile(folder);
    if (!marker.empty()) removals.push_back(marker);
    removals.emplace_back(kRunRecordFile);
    removals.emplace_back(kPassportFile);
  } else {
    std::string existing;
    for (const char* name : kInputFiles) {
      if (folder.ReadFile(name, &existing)) {
        err << "pedprep import: " << EscapeControlBytes(InFolder(folder_name, name))
            << " exists; use --force to replace it\n";
        return kExitUsage;
      }
    }
  }
  // PEDIGREE.PRN last: the run finds none until every other file is in place.
  std::stable_partition(files.begin(), files.end(),
                        [](const OutputFile& file) { return file.name != kPassportFile; });
  try {
    *removed = folder.ReplaceFiles(files, removals);
  } catch (const InputError& e) {
    err << "pedprep import: cannot " << (e.operation() == "remove" ? "remove" : "write") << " "
        << EscapeControlBytes(InFolder(folder_name, e.file())) << ": " << e.problem() << "\n";
    return kExitInputError;
  }
  removed->erase(std::remove(removed->begin(), removed->end(), kPassportFile), removed->end());
  return kExitSuccess;
}

std::string ProblemsFileRefusal(FileSystem& input_files, const std::string& name,
                                const std::vector<std::string>& inputs, FileSystem& output_folder,
                                const std::string& folder_name) {
  OutputGuard guard(input_files, "the import");
  for (const std::string& input : inputs) guard.KeepInput(input);
  guard.KeepFolder(output_folder, folder_name);
  return guard.Refusal(name);
}

}  // namespace pedprep
