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

// The optimal string alignment distance: insertions, deletions, substitutions and swaps of
// neighbours, each 1.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min(
          {d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

// The known word a slip away from `typed` (at most 2 edits, fewer than a third of it), the
// nearest first; "" when there is none.
std::string Nearest(std::string_view typed, const std::vector<std::string>& known) {
  std::string best;
  std::size_t best_distance = 3;
  for (const std::string& word : known) {
    const std::size_t distance = EditDistance(typed, word);
    if (distance > 0 && distance < best_distance && 3 * distance < typed.size()) {
      best = word;
      best_distance = distance;
    }
  }
  return best;
}

// " (did you mean WORD?)" for the first word of argv that names no command or option of the
// command but nearly does; "" otherwise.
std::string Suggestion(const CommandLine& line, const Command* command, int argc,
                       const char* const* argv) {
  std::vector<std::string> options = {"--help", "--version"};
  if (command != nullptr) {
    for (const Argument& argument : command->arguments()) {
      const std::string& names = argument.names();
      for (std::size_t begin = 0; begin < names.size();) {
        std::size_t end = names.find(',', begin);
        if (end == std::string::npos) end = names.size();
        if (names.compare(begin, 2, "--") == 0) options.push_back(names.substr(begin, end - begin));
        begin = end + 1;
      }
    }
  }
  if (command == nullptr && argc > 1 && argv[1][0] != '-') {
    std::vector<std::string> commands;
    for (const Command& each : line.commands()) commands.push_back(each.name());
    const std::string near = Nearest(argv[1], commands);
    return near.empty() ? "" : " (did you mean " + near + "?)";
  }
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word.substr(0, 2) != "--") continue;
    const std::string_view name = word.substr(0, word.find('='));
    if (std::find(options.begin(), options.end(), name) != options.end()) continue;
    const std::string near = Nearest(name, options);
    if (!near.empty()) return " (did you mean " + near + "?)";
  }
  return "";
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
  DefineMate(*line, context);
  DefineKinship(*line, context);
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
      err << "pedprep: " << parsed.problem << Suggestion(*line, parsed.command, argc, argv) << "\n"
          << UsageHint(*line, parsed.command);
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
