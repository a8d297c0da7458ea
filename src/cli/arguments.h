// The command line as data: a program's commands, each with its positional arguments,
// options and flags and what it runs. Commands are defined here in plain C++; Parse (the only
// code that reaches the parser library) reads argv against the definitions and writes the
// values into the variables the definitions point at. The help text, the usage errors and any
// generated help or completion come from the same definitions, which CommandLine::commands()
// and Command::arguments() enumerate in the order they were defined.
//
// Example:
//   CommandLine line("pedprep", "What pedprep does.", "pedprep 1.0.0");
//   Command& run = line.Add("run", "Run in FOLDER.");
//   run.Positional("FOLDER", &folder, "The folder").TypeName("").ExistingDirectory();
//   run.Flag("--batch", &batch, "Never pause");
//   run.OnRun([&] { return Run(folder, batch); });
//   ParseResult parsed = line.Parse(argc, argv, std::cout);
#ifndef PEDPREP_CLI_ARGUMENTS_H_
#define PEDPREP_CLI_ARGUMENTS_H_

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace pedprep {

// Where a parsed value goes: a flag's bool, one text, one integer, or a repeatable option's
// texts (one value per occurrence: `--marker a --marker b`).
using ArgumentTarget = std::variant<bool*, std::string*, int*, std::vector<std::string>*>;

// Says what is wrong with a value ("" = nothing); the text follows "NAME: " in the usage
// error.
using ValueCheck = std::function<std::string(const std::string& value)>;

// One positional argument, option or flag of a command. The setters return *this so that
// they chain; the getters serve the parser and whatever describes the command line.
class Argument {
 public:
  Argument(std::string names, ArgumentTarget target, std::string description, bool positional)
      : names_(std::move(names)),
        target_(target),
        description_(std::move(description)),
        positional_(positional) {}

  // The argument must be given.
  Argument& Required() {
    required_ = true;
    return *this;
  }
  // The placeholder of the value in the help ("" shows the parser's default: N or TEXT; a
  // positional always shows its name).
  Argument& TypeName(std::string name) {
    type_name_ = std::move(name);
    return *this;
  }
  // The only values accepted, in any letter case; the target receives the value as listed
  // here (`--delimiter Tab` with the choices "," ";" "tab" stores "tab").
  Argument& Choices(std::vector<std::string> canonical) {
    choices_ = std::move(canonical);
    return *this;
  }
  // An integer in min..max.
  Argument& Range(int min, int max) {
    range_ = {min, max};
    return *this;
  }
  // An integer of at least `min` (0 and 1 are shown as NONNEGATIVE and POSITIVE).
  Argument& AtLeast(int min) {
    at_least_ = min;
    return *this;
  }
  // The name of a folder that exists.
  Argument& ExistingDirectory() {
    existing_directory_ = true;
    return *this;
  }
  // A check of the value; `shown` is the value's placeholder in the help when no TypeName
  // is given.
  Argument& Check(ValueCheck check, std::string shown = "") {
    check_ = std::move(check);
    check_shown_ = std::move(shown);
    return *this;
  }
  // Given only together with the option named `other` (one of its names, e.g. "--keep"), or
  // with any other option named so (usage error "NAME requires A or B").
  Argument& Needs(std::string other) {
    needs_.push_back(std::move(other));
    return *this;
  }
  // A repeatable option given at most `count` times; otherwise the usage error
  // "NAME: at most COUNT WHAT".
  Argument& AtMost(std::size_t count, std::string what) {
    at_most_ = {count, std::move(what)};
    return *this;
  }
  // The help shows the target's value before parsing as the default.
  Argument& ShowDefault() {
    show_default_ = true;
    return *this;
  }

  // Comma-separated names as defined: "-o,--output", "--batch"; a positional's is its
  // placeholder ("FOLDER").
  const std::string& names() const { return names_; }
  const ArgumentTarget& target() const { return target_; }
  const std::string& description() const { return description_; }
  bool positional() const { return positional_; }
  bool flag() const { return std::holds_alternative<bool*>(target_); }
  bool repeatable() const { return std::holds_alternative<std::vector<std::string>*>(target_); }
  bool required() const { return required_; }
  const std::optional<std::string>& type_name() const { return type_name_; }
  const std::vector<std::string>& choices() const { return choices_; }
  const std::optional<std::pair<int, int>>& range() const { return range_; }
  const std::optional<int>& at_least() const { return at_least_; }
  bool existing_directory() const { return existing_directory_; }
  const ValueCheck& check() const { return check_; }
  const std::string& check_shown() const { return check_shown_; }
  const std::vector<std::string>& needs() const { return needs_; }
  const std::optional<std::pair<std::size_t, std::string>>& at_most() const { return at_most_; }
  bool show_default() const { return show_default_; }

 private:
  std::string names_;
  ArgumentTarget target_;
  std::string description_;
  bool positional_ = false;
  bool required_ = false;
  std::optional<std::string> type_name_;  // unset: the parser's own (TEXT, INT)
  std::vector<std::string> choices_;
  std::optional<std::pair<int, int>> range_;
  std::optional<int> at_least_;
  bool existing_directory_ = false;
  ValueCheck check_;
  std::string check_shown_;
  std::vector<std::string> needs_;
  std::optional<std::pair<std::size_t, std::string>> at_most_;
  bool show_default_ = false;
};

// One command: its name, its one-line description, its arguments in the order defined (the
// order of the help and of the positionals), and what it runs.
class Command {
 public:
  // Runs the command once its arguments are parsed; returns the exit status.
  using Action = std::function<int()>;

  Command(std::string name, std::string description)
      : name_(std::move(name)), description_(std::move(description)) {}

  // The references stay valid as long as the command.
  Argument& Positional(std::string name, std::string* target, std::string description) {
    return arguments_.emplace_back(std::move(name), target, std::move(description), true);
  }
  // One or more values (`pedprep import a.csv b.csv`); a repeatable positional comes last.
  Argument& Positional(std::string name, std::vector<std::string>* target,
                       std::string description) {
    return arguments_.emplace_back(std::move(name), target, std::move(description), true);
  }
  Argument& Option(std::string names, std::string* target, std::string description) {
    return arguments_.emplace_back(std::move(names), target, std::move(description), false);
  }
  Argument& Option(std::string names, int* target, std::string description) {
    return arguments_.emplace_back(std::move(names), target, std::move(description), false);
  }
  Argument& Option(std::string names, std::vector<std::string>* target, std::string description) {
    return arguments_.emplace_back(std::move(names), target, std::move(description), false);
  }
  Argument& Flag(std::string names, bool* target, std::string description) {
    return arguments_.emplace_back(std::move(names), target, std::move(description), false);
  }
  void OnRun(Action action) { action_ = std::move(action); }
  // A paragraph of the help after the options, under its heading ("Columns", "Sex codes"):
  // what the options cannot say, such as the codes and names the input may use.
  Command& Note(std::string heading, std::string text) {
    notes_.emplace_back(std::move(heading), std::move(text));
    return *this;
  }

  const std::string& name() const { return name_; }
  const std::string& description() const { return description_; }
  const std::deque<Argument>& arguments() const { return arguments_; }
  const std::vector<std::pair<std::string, std::string>>& notes() const { return notes_; }
  // Runs the action; kExitSuccess when none was set.
  int Run() const;

 private:
  std::string name_;
  std::string description_;
  std::deque<Argument> arguments_;
  std::vector<std::pair<std::string, std::string>> notes_;
  Action action_;
};

// What the command line asked for.
struct ParseResult {
  enum class Kind {
    kCommand,     // run `command` (nullptr: no command was given)
    kAnswered,    // --help or --version: the answer is written, nothing else to do
    kUsageError,  // nothing runs; `problem` says why in one line (no newline)
  };
  Kind kind = Kind::kCommand;
  // kCommand: the command to run; kUsageError: the command whose arguments are wrong
  // (nullptr: none was named).
  const Command* command = nullptr;
  std::string problem;
};

// A program's command line: its commands in the order defined and the options of the
// program itself (--help, --version).
class CommandLine {
 public:
  CommandLine(std::string program, std::string description, std::string version)
      : program_(std::move(program)),
        description_(std::move(description)),
        version_(std::move(version)) {}
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  // The reference stays valid as long as the command line.
  Command& Add(std::string name, std::string description) {
    return commands_.emplace_back(std::move(name), std::move(description));
  }

  const std::string& program() const { return program_; }
  const std::string& description() const { return description_; }
  const std::string& version() const { return version_; }  // what --version prints
  const std::deque<Command>& commands() const { return commands_; }

  // Reads argv (argv[0] is the program) against the definitions: at most one command, then
  // its arguments. Writes the values given into the targets (the others keep theirs) and the
  // answer to --help (also after a command: HelpText of cli/help_text.h) or --version on
  // `out`. Runs nothing.
  ParseResult Parse(int argc, const char* const* argv, std::ostream& out) const;

 private:
  std::string program_;
  std::string description_;
  std::string version_;
  std::deque<Command> commands_;
};

}  // namespace pedprep

#endif  // PEDPREP_CLI_ARGUMENTS_H_
