#include <chrono>
#include <memory>
#include <sstream>
#include <string_view>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "core/run_files.h"
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
    const std::string holder = files->LockHolder();
    context.err << "pedprep " << command << ": "
                << EscapeControlBytes(holder.empty() ? "another pedprep run or import" : holder)
                << " is writing "
                << EscapeControlBytes(folder.empty() ? "the current folder" : folder) << "; waited "
                << kReadLockWait.count() << " s. Try again when it has finished.\n";
    return kExitStopped;
  }
  if (!PassFolderCheck(*files, folder, command, look, context.err)) return kExitStopped;
  const int status = body(*files);
  if (status == kExitInputError && files->KindOf(kPassportFile) == EntryKind::kNone) {
    context.err << "pedprep " << command << ": "
                << EscapeControlBytes(folder.empty() ? "the current folder" : folder)
                << " holds no " << kPassportFile
                << "; make one from a herd book with: pedprep import HERDBOOK -o "
                << EscapeControlBytes(folder.empty() ? "." : folder) << "\n";
  }
  return status;
}

int ToStandardOutput(CommandContext& context, bool csv,
                     const std::function<int(std::ostream&)>& body) {
  if (!csv || !context.env.console.OutputIsTerminal()) return body(context.out);
  std::ostringstream text;
  const int status = body(text);
  const std::string bytes = text.str();
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = bytes.find('\n', at);
    end = end == std::string::npos ? bytes.size() : end + 1;
    std::size_t content = end;
    while (content > at && (bytes[content - 1] == '\n' || bytes[content - 1] == '\r')) --content;
    context.out << EscapeControlBytes(std::string_view(bytes).substr(at, content - at))
                << std::string_view(bytes).substr(content, end - content);
    at = end;
  }
  return status;
}

}  // namespace pedprep
