#include <chrono>
#include <memory>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "records/escape.h"

namespace pedprep {
namespace {

// How long a look at a folder waits for a run or an import writing it.
constexpr std::chrono::seconds kReadLockWait(5);

}  // namespace

int LookAtFolder(CommandContext& context, const std::string& folder, const std::string& command,
                 FolderLook look, const std::function<int(FileSystem&)>& body) {
  std::unique_ptr<FileSystem> files = context.env.open_folder(folder, false);
  // Held until the command ends: no run or import replaces the folder while it is read.
  if (!files->LockFolderForReading(kReadLockWait)) {
    context.err << "pedprep " << command << ": another pedprep run or import is writing "
                << EscapeControlBytes(folder.empty() ? "the current folder" : folder) << "; waited "
                << kReadLockWait.count() << " s. Try again when it has finished.\n";
    return kExitStopped;
  }
  if (!PassFolderCheck(*files, folder, command, look, context.err)) return kExitStopped;
  return body(*files);
}

}  // namespace pedprep
