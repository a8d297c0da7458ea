#include "import/folder_replacement.h"

#include <algorithm>

#include "core/exit_status.h"
#include "core/run_files.h"
#include "records/definition_file.h"
#include "records/escape.h"
#include "records/input_error.h"

namespace pedprep {
namespace {

constexpr const char* kInputFiles[] = {kPassportFile, kDefinitionFile, kDatabasePedigreeFile,
                                       kMarkerDataFile};
// Folders above a problems file that are compared with the output folder.
constexpr int kMaxFolderDepth = 256;

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
    err << "pedprep import: another pedprep holds the lock on the folder "
        << EscapeControlBytes(shown) << "; waited " << kImportLockWait.count()
        << " s and wrote nothing. Import again when it has finished.\n";
    return kExitInputError;
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
        return kExitInputError;
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
  FileIdentity target;
  if (input_files.Identify(name, &target)) {
    for (const std::string& input : inputs) {
      FileIdentity other;
      if (input_files.Identify(input, &other) && other == target) {
        return "it is " + input + ", an input of the import";
      }
    }
  }
  FileIdentity output;
  if (!output_folder.Identify("", &output)) return "";
  const std::size_t slash = name.rfind('/');
  std::string above = slash == std::string::npos ? "." : name.substr(0, slash == 0 ? 1 : slash);
  FileIdentity previous;
  for (int depth = 0; depth < kMaxFolderDepth; ++depth) {
    FileIdentity here;
    if (!input_files.Identify(above, &here) || (depth > 0 && here == previous)) break;
    if (here == output) {
      return "it lies inside the output folder " + (folder_name.empty() ? "." : folder_name);
    }
    previous = here;
    above += "/..";
  }
  return "";
}

}  // namespace pedprep
