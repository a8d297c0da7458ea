#include "cli/help_text.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <variant>

namespace pedprep {
namespace {

constexpr std::size_t kWidth = 80;
constexpr std::size_t kMaxLeftColumn = 30;

// `text` broken into lines of at most `width` bytes at blanks (a longer word stands alone),
// every line but the first preceded by `indent` blanks; ends without a newline.
std::string Wrap(const std::string& text, std::size_t indent, std::size_t width) {
  std::string wrapped;
  std::size_t column = indent;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) {
      const std::size_t length = end - start;
      if (column > indent && column + 1 + length > width) {
        wrapped += "\n" + std::string(indent, ' ');
        column = indent;
      } else if (column > indent) {
        wrapped += ' ';
        ++column;
      }
      wrapped.append(text, start, length);
      column += length;
    }
    start = end + 1;
  }
  return wrapped;
}

// Rows of a two-column list: the left text, then the right wrapped beside it.
std::string Table(const std::vector<std::pair<std::string, std::string>>& rows) {
  std::size_t left = 0;
  for (const auto& [term, text] : rows) {
    if (term.size() <= kMaxLeftColumn) left = std::max(left, term.size());
  }
  const std::size_t indent = 2 + left + 2;
  std::string table;
  for (const auto& [term, text] : rows) {
    table += "  " + term;
    if (term.size() > left) {
      table += "\n" + std::string(indent, ' ');
    } else {
      table += std::string(indent - 2 - term.size(), ' ');
    }
    table += Wrap(text, indent, kWidth) + "\n";
  }
  return table;
}

}  // namespace

std::vector<std::string> ArgumentNames(const Argument& argument) {
  std::vector<std::string> names;
  std::size_t start = 0;
  const std::string& all = argument.names();
  while (start <= all.size()) {
    std::size_t end = all.find(',', start);
    if (end == std::string::npos) end = all.size();
    if (end > start) names.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::string ValuePlaceholder(const Argument& argument) {
  if (argument.flag()) return "";
  std::string shown;
  if (argument.positional()) {
    shown = argument.names();
  } else if (!argument.choices().empty()) {
    for (const std::string& choice : argument.choices()) {
      shown += (shown.empty() ? "" : "|") + choice;
    }
  } else if (argument.type_name() && !argument.type_name()->empty()) {
    shown = *argument.type_name();
  } else if (!argument.check_shown().empty()) {
    shown = argument.check_shown();
  } else {
    shown = std::holds_alternative<int*>(argument.target()) ? "N" : "TEXT";
  }
  return argument.repeatable() ? shown + " ..." : shown;
}

std::string ArgumentSynopsis(const Argument& argument) {
  if (argument.positional()) return ValuePlaceholder(argument);
  std::string synopsis;
  for (const std::string& name : ArgumentNames(argument)) {
    synopsis += (synopsis.empty() ? "" : ", ") + name;
  }
  const std::string value = ValuePlaceholder(argument);
  return value.empty() ? synopsis : synopsis + " " + value;
}

std::string DefaultValue(const Argument& argument) {
  if (!argument.show_default()) return "";
  return std::visit(
      [](const auto* target) -> std::string {
        using Target = std::remove_cv_t<std::remove_pointer_t<decltype(target)>>;
        if constexpr (std::is_same_v<Target, int>) {
          return std::to_string(*target);
        } else if constexpr (std::is_same_v<Target, std::string>) {
          return *target;
        } else if constexpr (std::is_same_v<Target, bool>) {
          return "";
        } else {
          std::string joined;
          for (const std::string& value : *target) joined += (joined.empty() ? "" : " ") + value;
          return joined;
        }
      },
      argument.target());
}

std::string ArgumentDescription(const Argument& argument) {
  std::string text = argument.description();
  if (argument.required() && !argument.positional()) text += " (required)";
  const std::string shown = DefaultValue(argument);
  if (!shown.empty()) text += " (default: " + shown + ")";
  return text;
}

std::string UsageLine(const CommandLine& line, const Command* command) {
  if (command == nullptr) return line.program() + " [COMMAND] [ARGS...]";
  std::string usage = line.program() + " " + command->name();
  for (const Argument& argument : command->arguments()) {
    if (argument.positional() || !argument.required()) continue;
    usage += " " + ArgumentNames(argument).back();
    const std::string value = ValuePlaceholder(argument);
    if (!value.empty()) usage += " " + value;
  }
  usage += " [OPTIONS]";  // at least -h, --help
  for (const Argument& argument : command->arguments()) {
    if (!argument.positional()) continue;
    const std::string value = ValuePlaceholder(argument);
    usage += " " + (argument.required() ? value : "[" + value + "]");
  }
  return usage;
}

std::string HelpText(const CommandLine& line, const Command* command) {
  const std::string& description = command == nullptr ? line.description() : command->description();
  std::string help;
  std::size_t start = 0;
  while (start < description.size()) {  // each line of the description is a paragraph
    std::size_t end = description.find('\n', start);
    if (end == std::string::npos) end = description.size();
    help += Wrap(description.substr(start, end - start), 0, kWidth) + "\n";
    start = end + 1;
  }
  help += "\nUsage: " + UsageLine(line, command) + "\n";

  std::vector<std::pair<std::string, std::string>> positionals;
  std::vector<std::pair<std::string, std::string>> options = {
      {"-h, --help", "Print this help and exit"}};
  if (command == nullptr) {
    options.emplace_back("--version", "Print the version and exit");
  } else {
    for (const Argument& argument : command->arguments()) {
      (argument.positional() ? positionals : options)
          .emplace_back(ArgumentSynopsis(argument), ArgumentDescription(argument));
    }
  }
  if (!positionals.empty()) help += "\nPositionals:\n" + Table(positionals);
  help += "\nOptions:\n" + Table(options);
  if (command == nullptr) {
    std::vector<std::pair<std::string, std::string>> commands;
    for (const Command& each : line.commands()) {
      commands.emplace_back(each.name(), each.description());
    }
    help += "\nSubcommands:\n" + Table(commands);
    help += "\n" +
            Wrap("Run '" + line.program() + " help COMMAND' or '" + line.program() +
                     " COMMAND --help' for the options of a command.",
                 0, kWidth) +
            "\n";
  } else {
    for (const auto& [heading, text] : command->notes()) {
      help += "\n" + heading + ":\n  " + Wrap(text, 2, kWidth) + "\n";
    }
  }
  return help;
}

}  // namespace pedprep
