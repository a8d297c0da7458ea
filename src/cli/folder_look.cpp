#include <memory>

#include "cli/commands.h"
#include "core/exit_status.h"

namespace pedprep {

int LookAtFolder(CommandContext& context, const std::string& folder, const std::string& command,
                 FolderLook look, const std::function<int(FileSystem&)>& body) {
  std::unique_ptr<FileSystem> files = context.env.open_folder(folder, false);
  if (!PassFolderCheck(*files, folder, command, look, context.err)) return kExitStopped;
  return body(*files);
}

}  // namespace pedprep
