#include "cli/command_line.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/help_text.h"
#include "core/exit_status.h"
#include "records/input_error.h"

#ifndef PEDPREP_VERSION
#error "PEDPREP_VERSION must be defined by the build (X.Y.Z)"
#endif

namespace pedprep {
namespace {

// `help [COMMAND]`: what `COMMAND --help` (or `--help`) prints.
void DefineHelp(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string command;
  };
  auto options = std::make_shared<Options>();
  std::vector<std::string> names;
  for (const Command& command : line.commands()) names.push_back(command.name());
  names.emplace_back("help");
  Command& help = line.Add("help", "Print the help of the program or of one command.");
  help.Positional("COMMAND", &options->command, "The command (default: the program's help)")
      .Choices(names);
  help.OnRun([options, &line, &context] {
    const Command* shown = nullptr;  // the choice as typed, in any letter case
    for (const Command& command : line.commands()) {
      const std::string& name = command.name();
      if (std::equal(name.begin(), name.end(), options->command.begin(), options->command.end(),
                     [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
        shown = &command;
      }
    }
    context.out << HelpText(line, shown);
    return kExitSuccess;
  });
}

// The two lines after a usage error's problem: how the command (or the program) is called and
// where to read more.
std::string UsageHint(const CommandLine& line, const Command* command) {
  std::string usage = "usage: " + UsageLine(line, command);
  std::string more = line.program() + " --help";
  if (command != nullptr) {
    more = line.program() + " " + command->name() + " --help";
  } else {
    std::string commands;
    for (const Command& each : line.commands()) {
      commands += (commands.empty() ? "" : ", ") + each.name();
    }
    usage += "  (commands: " + commands + ")";
  }
  return usage + "\nTry '" + more + "' for more information.\n";
}

}  // namespace

Argument& AddRunFolder(Command& command, std::string* folder) {
  return command.Positional("FOLDER", folder, "The run's folder (default: the current folder)")
      .ExistingDirectory();
}

std::unique_ptr<CommandLine> MakeCommandLine(CommandContext& context) {
  auto line = std::make_unique<CommandLine>(
      "pedprep",
      "pedprep prepares the pedigree of a multi-breed population for the peeling analysis.\n"
      "Without a command it runs in the current folder.",
      std::string("pedprep ") + PEDPREP_VERSION);
  DefineRun(*line, context);
  DefineImport(*line, context);
  DefineShow(*line, context);
  DefineReport(*line, context);
  DefineDraw(*line, context);
  DefineAnimals(*line, context);
  DefineHelp(*line, context);
  return line;
}

namespace {

int RunParsedCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                         CommandEnvironment& env) {
  CommandContext context{out, err, env};
  const std::unique_ptr<CommandLine> line = MakeCommandLine(context);
  const ParseResult parsed = line->Parse(argc, argv, out);
  switch (parsed.kind) {
    case ParseResult::Kind::kAnswered:
      return kExitSuccess;
    case ParseResult::Kind::kUsageError:
      err << "pedprep: " << parsed.problem << "\n" << UsageHint(*line, parsed.command);
      return kExitUsage;
    case ParseResult::Kind::kCommand:
      break;
  }
  try {
    if (parsed.command == nullptr) return RunInFolder(context, "", false);
    return parsed.command->Run();
  } catch (const InputError& e) {
    // A file that a command's own handling does not expect to fail, such as an input
    // larger than any file is read.
    err << e.Report() << "\n";
    return kExitInputError;
  }
}

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                   CommandEnvironment& env) {
  const int status = RunParsedCommandLine(argc, argv, out, err, env);
  // A table cut short by a full disk or a closed pipe is no result.
  out.flush();
  if (out) return status;
  err << "pedprep: cannot write standard output; what it shows is incomplete\n";
  return status == kExitSuccess ? kExitInputError : status;
}

}  // namespace pedprep
