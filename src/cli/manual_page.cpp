#include "cli/manual_page.h"

#include "cli/help_text.h"

namespace pedprep {
namespace {

std::string Bold(const std::string& text) { return "\\fB" + RoffEscape(text) + "\\fR"; }
std::string Italic(const std::string& text) { return "\\fI" + RoffEscape(text) + "\\fR"; }

// "-o, --output FILE" with the names in bold and the value in italics.
std::string Synopsis(const Argument& argument) {
  if (argument.positional()) return Italic(ValuePlaceholder(argument));
  std::string synopsis;
  for (const std::string& name : ArgumentNames(argument)) {
    synopsis += (synopsis.empty() ? "" : ", ") + Bold(name);
  }
  const std::string value = ValuePlaceholder(argument);
  return value.empty() ? synopsis : synopsis + " " + Italic(value);
}

std::string Commands(const CommandLine& line) {
  std::string roff;
  for (const Command& command : line.commands()) {
    roff += ".SS \"" + RoffEscape(UsageLine(line, &command)) + "\"\n";
    roff += RoffEscape(command.description()) + "\n";
    for (const Argument& argument : command.arguments()) {
      roff +=
          ".TP\n" + Synopsis(argument) + "\n" + RoffEscape(ArgumentDescription(argument)) + "\n";
    }
    for (const auto& [heading, text] : command.notes()) {
      roff += ".PP\n" + Italic(heading + ":") + " " + RoffEscape(text) + "\n";
    }
  }
  if (!roff.empty()) roff.pop_back();  // the marker's own line ends it
  return roff;
}

std::string Replaced(std::string text, const std::string& marker, const std::string& by) {
  for (std::size_t at = text.find(marker); at != std::string::npos;
       at = text.find(marker, at + by.size())) {
    text.replace(at, marker.size(), by);
  }
  return text;
}

}  // namespace

std::string RoffEscape(const std::string& text) {
  std::string roff;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool line_start = i == 0 || text[i - 1] == '\n';
    if (line_start && (c == '.' || c == '\'')) roff += "\\&";
    if (c == '\\') {
      roff += "\\e";
    } else if (c == '-') {
      roff += "\\-";
    } else {
      roff += c;
    }
  }
  return roff;
}

std::string ManualPage(const CommandLine& line, const std::string& page_template) {
  std::string synopsis = ".nf\n" + RoffEscape(UsageLine(line, nullptr)) + "\n";
  for (const Command& command : line.commands()) {
    synopsis += RoffEscape(UsageLine(line, &command)) + "\n";
  }
  synopsis += RoffEscape(line.program() + " --help | --version") + "\n.fi";
  std::string page = Replaced(page_template, "@VERSION@", RoffEscape(line.version()));
  page = Replaced(page, "@SYNOPSIS@", synopsis);
  return Replaced(page, "@COMMANDS@", Commands(line));
}

}  // namespace pedprep
