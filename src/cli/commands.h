// The subcommands. Each Register function adds one subcommand to `app`; its callback runs
// the command with the parsed options and sets `context.status`. A new command is one
// more Register function here, its own .cpp file, and one call in RunCommandLine.
#ifndef PEDPREP_CLI_COMMANDS_H_
#define PEDPREP_CLI_COMMANDS_H_

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/command_line.h"

namespace pedprep {

struct CommandContext {
  std::ostream& out;
  std::ostream& err;
  CommandEnvironment& env;
  int status = 0;
};

// The run of the product stages in `folder` ("" = the current folder).
int RunInFolder(CommandContext& context, const std::string& folder, bool batch);

// `run [FOLDER] [--batch]`.
void RegisterRun(CLI::App& app, CommandContext& context);
// `import HERDBOOK [options]`.
void RegisterImport(CLI::App& app, CommandContext& context);
// `show [FOLDER] [--csv]`, `report [FOLDER] [--csv]`,
// `draw [FOLDER] --family N [--core] [-o FILE]`.
void RegisterShow(CLI::App& app, CommandContext& context);
void RegisterReport(CLI::App& app, CommandContext& context);
void RegisterDraw(CLI::App& app, CommandContext& context);

}  // namespace pedprep

#endif  // PEDPREP_CLI_COMMANDS_H_
