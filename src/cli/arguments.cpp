// The one translation unit that includes the parser library (it costs seconds to compile):
// the definitions of arguments.h are turned into its objects for each Parse.
#include "cli/arguments.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <type_traits>

#include "cli/help_text.h"
#include "core/exit_status.h"
#include "records/file_system.h"

namespace pedprep {
namespace {

// The problem of a value that is none of the choices (in any letter case), or "".
// Replaces `value` by the choice it names in any letter case and returns ""; otherwise the
// problem.
std::string OneOf(std::string& value, const std::vector<std::string>& choices) {
  const auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  };
  std::string listed;
  for (const std::string& choice : choices) {
    if (std::equal(value.begin(), value.end(), choice.begin(), choice.end(), same)) {
      value = choice;
      return "";
    }
    listed += (listed.empty() ? "" : "|") + choice;
  }
  return value + " is not one of " + listed;
}

// The problem of a value that is not a whole number in min..max, or "".
std::string InRange(const std::string& value, long min, long max) {
  long number = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, number);
  if (value.empty() || error == std::errc::invalid_argument || stop != end) {
    return value + " is not a whole number";
  }
  const bool at_least = max == std::numeric_limits<int>::max();
  if (error == std::errc() && at_least && number < min) {
    return value + " is below " + std::to_string(min);
  }
  if (error == std::errc::result_out_of_range || number < min || number > max) {
    return at_least ? value + " is too large"
                    : value + " is not in " + std::to_string(min) + ".." + std::to_string(max);
  }
  return "";
}

CLI::Option* AddToParser(CLI::App& command, const Argument& argument) {
  const std::string& name = argument.names();
  const std::string& text = argument.description();
  CLI::Option* option = std::visit(
      [&](auto* target) -> CLI::Option* {
        using Target = std::remove_pointer_t<decltype(target)>;
        if constexpr (std::is_same_v<Target, bool>) {
          return command.add_flag(name, *target, text);
        } else {
          return command.add_option(name, *target, text);
        }
      },
      argument.target());
  if (argument.repeatable() && !argument.positional()) option->allow_extra_args(false);
  if (argument.required()) option->required();
  std::string placeholder = ValuePlaceholder(argument);
  if (argument.repeatable()) placeholder.resize(placeholder.size() - std::string(" ...").size());
  option->type_name(placeholder);
  if (!argument.choices().empty()) {
    // A transform, not a check: the listed value replaces the one given.
    option->transform(CLI::Validator(
        [choices = argument.choices()](std::string& value) { return OneOf(value, choices); }, ""));
  }
  if (argument.range() || argument.at_least()) {
    const long min = argument.range() ? argument.range()->first : *argument.at_least();
    const long max = argument.range() ? argument.range()->second : std::numeric_limits<int>::max();
    // A transform: the number as decimal, so that "08" is 8 and "010" is 10, never octal.
    option->transform(CLI::Validator(
        [min, max](std::string& value) {
          std::string problem = InRange(value, min, max);
          if (problem.empty()) value = std::to_string(std::stol(value));
          return problem;
        },
        ""));
  }
  if (argument.existing_directory()) {
    // Through the folder layer, not narrow std::filesystem paths: on Windows a name beyond
    // the ANSI code page ("Zücht") is found as typed.
    option->check([](const std::string& value) -> std::string {
      switch (KindOfNamedPath(value)) {
        case EntryKind::kFolder:
          return "";
        case EntryKind::kFile:
          return value + " is a file, not a folder: give the folder that holds the run's files";
        case EntryKind::kNone:
          return "Directory does not exist: " + value;
        case EntryKind::kOther:
          break;
      }
      return value + " is not a folder";
    });
  }
  if (argument.check()) option->check(argument.check(), "");
  if (argument.show_default()) option->capture_default_str();
  return option;
}

// The problem of a repeatable option given more often than allowed, or "".
std::string TooMany(const Argument& argument, const CLI::Option& option) {
  const auto& at_most = argument.at_most();
  const auto* const* values = std::get_if<std::vector<std::string>*>(&argument.target());
  if (!at_most || values == nullptr || (*values)->size() <= at_most->first) return "";
  return option.get_name() + ": at most " + std::to_string(at_most->first) + " " + at_most->second;
}

// The problem of an option given without any of the options it needs, or "".
std::string NeedsMissing(const Argument& argument, const CLI::Option& option, const CLI::App& app) {
  if (argument.needs().empty() || option.count() == 0) return "";
  std::string others;
  for (const std::string& other : argument.needs()) {
    if (app.get_option(other)->count() > 0) return "";
    others += (others.empty() ? "" : " or ") + other;
  }
  return option.get_name() + " requires " + others;
}

// The parser's objects of one command and its arguments.
struct CommandParser {
  const Command* command = nullptr;
  CLI::App* app = nullptr;
  std::vector<std::pair<const Argument*, CLI::Option*>> options;
};

}  // namespace

int Command::Run() const { return action_ ? action_() : kExitSuccess; }

ParseResult CommandLine::Parse(int argc, const char* const* argv, std::ostream& out) const {
  CLI::App app{description_, program_};
  // The same command line on every platform: on Windows CLI11 would otherwise take "/x" for
  // an option (and a folder "/data" for an unknown one). Commands inherit this.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", version_);
  app.require_subcommand(0, 1);
  std::vector<CommandParser> parsers;
  for (const Command& command : commands_) {
    CommandParser& parser = parsers.emplace_back();
    parser.command = &command;
    parser.app = app.add_subcommand(command.name(), command.description());
    for (const Argument& argument : command.arguments()) {
      parser.options.emplace_back(&argument, AddToParser(*parser.app, argument));
    }
  }

  // Only the first argument can name a command: the program itself has no option with a value.
  const Command* named = nullptr;
  for (const Command& command : commands_) {
    if (argc > 1 && command.name() == argv[1]) named = &command;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << HelpText(*this, named);
    return {ParseResult::Kind::kAnswered, nullptr, ""};
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) {  // --version: written on `out`, nothing on the other
      app.exit(e, out, out);
      return {ParseResult::Kind::kAnswered, nullptr, ""};
    }
    std::string problem = e.what();
    while (!problem.empty() && problem.back() == '\n') problem.pop_back();
    return {ParseResult::Kind::kUsageError, named, problem};
  }
  for (const CommandParser& parser : parsers) {
    if (!parser.app->parsed()) continue;
    for (const auto& [argument, option] : parser.options) {
      std::string problem = TooMany(*argument, *option);
      if (problem.empty()) problem = NeedsMissing(*argument, *option, *parser.app);
      if (!problem.empty()) {
        return {ParseResult::Kind::kUsageError, parser.command, std::move(problem)};
      }
    }
    return {ParseResult::Kind::kCommand, parser.command, ""};
  }
  return {ParseResult::Kind::kCommand, nullptr, ""};
}

}  // namespace pedprep
