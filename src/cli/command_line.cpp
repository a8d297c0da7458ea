#include "cli/command_line.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/help_text.h"
#include "core/exit_status.h"
#include "core/nearest_ids.h"
#include "records/escape.h"
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

// The long and short names of a command's options (those of the program itself without
// one), each with whether it takes a value.
std::vector<std::pair<std::string, bool>> OptionNames(const Command* command) {
  std::vector<std::pair<std::string, bool>> names = {{"--help", false}, {"-h", false}};
  if (command == nullptr) names.emplace_back("--version", false);
  if (command == nullptr) return names;
  for (const Argument& argument : command->arguments()) {
    if (argument.positional()) continue;
    const std::string& all = argument.names();
    for (std::size_t begin = 0; begin < all.size();) {
      const std::size_t end = std::min(all.find(',', begin), all.size());
      names.emplace_back(all.substr(begin, end - begin), !argument.flag());
      begin = end + 1;
    }
  }
  return names;
}

// The first word of argv that names no command, or no option of the command named, as the
// usage error's problem with a suggestion where one is near ("" when every word is known).
// Read before the parser, so that an unknown option is never taken for a value or a folder:
// an option's value is the word after it (or after '='), and "--" ends the options.
std::string UnknownWord(const CommandLine& line, int argc, const char* const* argv,
                        const Command** command) {
  *command = nullptr;
  int first = 1;
  if (argc > 1 && argv[1][0] != '-') {
    for (const Command& each : line.commands()) {
      if (each.name() == argv[1]) *command = &each;
    }
    if (*command == nullptr) {
      std::vector<std::string> commands;
      for (const Command& each : line.commands()) commands.push_back(each.name());
      const std::string near = Nearest(argv[1], commands);
      return "unknown command " + EscapeControlBytes(argv[1]) +
             (near.empty() ? "" : " (did you mean " + near + "?)");
    }
    first = 2;
  }
  const std::vector<std::pair<std::string, bool>> names = OptionNames(*command);
  for (int i = first; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--") break;
    const bool is_long = word.substr(0, 2) == "--";
    const bool is_short = !is_long && word.size() > 1 && word[0] == '-' &&
                          !(word[1] >= '0' && word[1] <= '9') && word[1] != '.';
    if (!is_long && !is_short) continue;
    const std::string name(is_long ? word.substr(0, word.find('=')) : word.substr(0, 2));
    const auto known = std::find_if(names.begin(), names.end(),
                                    [&name](const auto& each) { return each.first == name; });
    if (known == names.end()) {
      std::vector<std::string> options;
      for (const auto& each : names) {
        if (each.first.size() > 2) options.push_back(each.first);
      }
      const std::string near = is_long ? Nearest(name, options) : "";
      return "unknown option " + EscapeControlBytes(is_long ? name : std::string(word)) +
             (near.empty() ? "" : " (did you mean " + near + "?)");
    }
    if (known->second && word.size() == name.size()) ++i;  // its value
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

std::string FolderTitle(const std::string& folder) {
  namespace fs = std::filesystem;
  try {
    const fs::path given = fs::path(folder.empty() ? "." : folder).lexically_normal();
    const fs::path last = given.has_filename() ? given.filename() : given.parent_path().filename();
    if (!folder.empty() && last != "." && last != ".." && !last.empty()) return folder;
    std::error_code error;
    fs::path absolute = fs::absolute(given, error).lexically_normal();
    if (error) return folder;
    if (!absolute.has_filename()) absolute = absolute.parent_path();
    const std::string name = absolute.filename().string();
    return name.empty() ? folder : name;
  } catch (const std::exception&) {  // a name the narrow text cannot hold
    return folder;
  }
}

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
  const Command* named = nullptr;
  if (const std::string unknown = UnknownWord(*line, argc, argv, &named); !unknown.empty()) {
    err << "pedprep: " << unknown << "\n" << UsageHint(*line, named);
    return kExitUsage;
  }
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
