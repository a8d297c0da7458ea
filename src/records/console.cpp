#include "records/console.h"

#include <unistd.h>

#include <iostream>

#include "records/text_writer.h"

namespace pedprep {
namespace {

// Columns a list-directed line holds after its carriage-control blank.
constexpr std::size_t kLineColumns = 79;
constexpr std::size_t kNumberColumns = 11;

}  // namespace

void StdConsole::WriteLine(std::string_view line) { std::cout << line << '\n'; }

std::optional<std::string> StdConsole::ReadLine() {
  std::cout.flush();
  std::streambuf& in = *std::cin.rdbuf();
  std::string line;
  bool any = false;
  std::size_t skipped = 0;
  for (int c = in.sbumpc(); c != std::char_traits<char>::eof(); c = in.sbumpc()) {
    any = true;
    if (c == '\n') break;
    if (line.size() < kMaxInputLine) {
      line.push_back(static_cast<char>(c));
    } else if (++skipped > kMaxSkippedInput) {
      break;
    }
  }
  if (!any) return std::nullopt;
  if (skipped == 0 && !line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool StdConsole::InputIsTerminal() const { return isatty(STDIN_FILENO) == 1; }

std::vector<std::string> ListDirectedLines(const OutList& values) {
  std::vector<std::string> lines;
  std::string line = " ";
  std::size_t used = 0;  // columns used after the leading blank
  bool after_number = false;
  auto new_line = [&] {
    lines.push_back(line);
    line.assign(1, ' ');
    used = 0;
    after_number = false;
  };
  for (const OutValue& value : values) {
    if (value.kind == OutValue::Kind::kInt) {
      std::string digits = std::to_string(value.number);
      std::size_t width = after_number ? kNumberColumns + 1 : kNumberColumns;
      if (used > 0 && used + std::max(width, digits.size()) > kLineColumns) {
        new_line();
        width = kNumberColumns;
      }
      if (digits.size() < width) line.append(width - digits.size(), ' ');
      line += digits;
      used += std::max(width, digits.size());
      after_number = true;
    } else {
      std::string_view rest = value.text;
      while (used + rest.size() > kLineColumns) {
        std::size_t room = kLineColumns - used;
        line.append(rest.substr(0, room));
        rest.remove_prefix(room);
        new_line();
      }
      line.append(rest);
      used += rest.size();
      after_number = false;
    }
  }
  lines.push_back(std::move(line));
  return lines;
}

void WriteFormatted(Console& console, const Layout& layout, const OutList& values) {
  for (const std::string& record : FormatRecords(layout, values)) {
    console.WriteLine(record.empty() ? std::string_view() : std::string_view(record).substr(1));
  }
}

void WriteListDirected(Console& console, const OutList& values) {
  for (const std::string& line : ListDirectedLines(values)) {
    console.WriteLine(std::string_view(line).substr(1));
  }
}

}  // namespace pedprep
