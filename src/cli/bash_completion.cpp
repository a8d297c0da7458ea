#include "cli/bash_completion.h"

#include <vector>

#include "cli/help_text.h"

namespace pedprep {
namespace {

// `text` as one single-quoted bash word.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string Words(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) joined += " " + Quoted(word);
  return joined;
}

// The shell code that completes a value of `argument`.
std::string CompleteValue(const Argument& argument) {
  switch (ValueKindOf(argument)) {
    case ValueKind::kChoices:
      return "_pedprep_choices" + Words(argument.choices());
    case ValueKind::kFolder:
      return "_pedprep_names -d";
    case ValueKind::kFile:
      return "_pedprep_names -f";
    case ValueKind::kNone:
    case ValueKind::kOther:
      break;
  }
  return ":";
}

bool Names(const std::string& placeholder, std::initializer_list<const char*> words) {
  for (const char* word : words) {
    if (placeholder.find(word) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

ValueKind ValueKindOf(const Argument& argument) {
  if (argument.flag()) return ValueKind::kNone;
  if (!argument.choices().empty()) return ValueKind::kChoices;
  const std::string placeholder = ValuePlaceholder(argument);
  if (argument.existing_directory() || Names(placeholder, {"FOLDER", "DIR"})) {
    return ValueKind::kFolder;
  }
  if (argument.positional() || Names(placeholder, {"FILE", "HERDBOOK"})) return ValueKind::kFile;
  return ValueKind::kOther;
}

std::string BashCompletion(const CommandLine& line) {
  const std::string& program = line.program();
  std::vector<std::string> top;
  for (const Command& command : line.commands()) top.push_back(command.name());
  top.insert(top.end(), {"--help", "--version"});

  std::string script =
      "# bash completion of " + program +
      ", made by its build from the program's command definitions.\n"
      "\n"
      "# The words among the arguments that start with the word being completed, quoted\n"
      "# where the shell needs it.\n"
      "_pedprep_choices() {\n"
      "  local word\n"
      "  for word in \"$@\"; do\n"
      "    [[ $word == \"$cur\"* ]] || continue\n"
      "    [[ $word == *[!A-Za-z0-9._,+=:@%/-]* ]] && word=$(printf '%q' \"$word\")\n"
      "    COMPREPLY+=(\"$word\")\n"
      "  done\n"
      "}\n"
      "\n"
      "# Folder (-d) or file (-f) names that start with the word being completed.\n"
      "_pedprep_names() {\n"
      "  compopt -o filenames 2>/dev/null\n"
      "  mapfile -t COMPREPLY < <(compgen \"$1\" -- \"$cur\")\n"
      "}\n"
      "\n"
      "_" +
      program +
      "() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
      "  COMPREPLY=()\n"
      "  if ((COMP_CWORD == 1)); then\n"
      "    _pedprep_choices" +
      Words(top) +
      "\n"
      "    return\n"
      "  fi\n"
      "  case ${COMP_WORDS[1]} in\n";
  for (const Command& command : line.commands()) {
    script += "    " + Quoted(command.name()) + ")\n";
    std::string values;
    std::vector<std::string> options = {"--help"};
    std::string positional = ":";
    for (const Argument& argument : command.arguments()) {
      if (argument.positional()) {
        if (positional == ":") positional = CompleteValue(argument);
        continue;
      }
      const std::vector<std::string> names = ArgumentNames(argument);
      options.insert(options.end(), names.begin(), names.end());
      if (argument.flag()) continue;
      std::string pattern;
      for (const std::string& name : names) pattern += (pattern.empty() ? "" : "|") + Quoted(name);
      values += "        " + pattern + ") " + CompleteValue(argument) + "; return ;;\n";
    }
    if (!values.empty()) script += "      case $prev in\n" + values + "      esac\n";
    script +=
        "      if [[ $cur == -* ]]; then\n"
        "        _pedprep_choices" +
        Words(options) +
        "\n"
        "      else\n"
        "        " +
        positional +
        "\n"
        "      fi\n"
        "      ;;\n";
  }
  script +=
      "  esac\n"
      "}\n"
      "complete -F _" +
      program + " " + program + "\n";
  return script;
}

}  // namespace pedprep
