#include "cli/command_line.h"

#include "cli/commands.h"
#include "core/exit_status.h"

#ifndef PEDPREP_VERSION
#error "PEDPREP_VERSION must be defined by the build (X.Y.Z)"
#endif

namespace pedprep {
namespace {

std::string UsageLine(const CommandLine& line) {
  std::string commands;
  for (const Command& command : line.commands()) {
    commands += (commands.empty() ? "" : ", ") + command.name();
  }
  return "usage: pedprep [COMMAND] [ARGS...]  (commands: " + commands + "; pedprep COMMAND --help)";
}

}  // namespace

Argument& AddRunFolder(Command& command, std::string* folder) {
  return command.Positional("FOLDER", folder, "The run's folder (default: the current folder)")
      .TypeName("")
      .ExistingDirectory();
}

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                   CommandEnvironment& env) {
  CommandContext context{out, err, env};
  CommandLine line("pedprep",
                   "pedprep prepares the pedigree of a multi-breed population for the peeling "
                   "analysis.\nWithout a command it runs in the current folder.",
                   std::string("pedprep ") + PEDPREP_VERSION);
  DefineRun(line, context);
  DefineImport(line, context);
  DefineShow(line, context);
  DefineReport(line, context);
  DefineDraw(line, context);
  DefineAnimals(line, context);
  const ParseResult parsed = line.Parse(argc, argv, out);
  switch (parsed.kind) {
    case ParseResult::Kind::kAnswered:
      return kExitSuccess;
    case ParseResult::Kind::kUsageError:
      err << "pedprep: " << parsed.problem << "\n" << UsageLine(line) << "\n";
      return kExitUsage;
    case ParseResult::Kind::kCommand:
      break;
  }
  if (parsed.command == nullptr) return RunInFolder(context, "", false);
  return parsed.command->Run();
}

}  // namespace pedprep
