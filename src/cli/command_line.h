// The pedprep command line: `pedprep` (the run in the current folder), `pedprep run`,
// `pedprep import`, `show`, `report`, `draw` (cli/commands.h).
//
// Exit statuses (core/exit_status.h): the command's own; kExitUsage for a usage error (an
// unknown command or option, a missing or bad value), which runs nothing and writes on `err`
// one line naming the problem, the usage line of the command given (or of the program) and a
// line pointing to its --help. `--help` (also after a command), `help [COMMAND]` and
// `--version` write on `out`, kExitSuccess. When `out` cannot be written (a full disk, a
// closed pipe), one line on `err` says so and a command that succeeded ends kExitInputError.
#ifndef PEDPREP_CLI_COMMAND_LINE_H_
#define PEDPREP_CLI_COMMAND_LINE_H_

#include <ctime>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "records/console.h"
#include "records/file_system.h"

namespace pedprep {

class CommandRunner;

// What the commands reach the outside world through (fakes in tests).
struct CommandEnvironment {
  CommandEnvironment(
      Console& console_in, CommandRunner& shell_in,
      std::function<std::unique_ptr<FileSystem>(const std::string& folder, bool create_folders)>
          open_folder_in)
      : console(console_in), shell(shell_in), open_folder(std::move(open_folder_in)) {}

  Console& console;      // the run's console
  CommandRunner& shell;  // the run's pause commands
  // A folder by name ("" = the current folder); with create_folders, writes create it and
  // the folders inside it.
  std::function<std::unique_ptr<FileSystem>(const std::string& folder, bool create_folders)>
      open_folder;
  // Files named on the command line (a herd book, --problems, draw -o), relative to the
  // current folder and reached as the user named them; unset: open_folder("", false).
  std::function<std::unique_ptr<FileSystem>()> open_named_files;
  std::unique_ptr<FileSystem> OpenNamedFiles() const {
    return open_named_files ? open_named_files() : open_folder("", false);
  }
  // The time a run's record gives.
  std::function<std::time_t()> clock = [] { return std::time(nullptr); };
};

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                   CommandEnvironment& env);

}  // namespace pedprep

#endif  // PEDPREP_CLI_COMMAND_LINE_H_
