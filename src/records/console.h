// The console: where every message goes and where the pause answer comes from.
//
// A console record's first character is carriage control and is not shown; the system
// always puts a blank there. WriteFormatted / WriteListDirected take records as the
// system makes them and hand the Console the shown text: each record without its first
// character, one WriteLine per record (trailing blanks kept).
#ifndef PEDPREP_RECORDS_CONSOLE_H_
#define PEDPREP_RECORDS_CONSOLE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/layout.h"
#include "records/values.h"

namespace pedprep {

// The longest input line StdConsole::ReadLine keeps, in characters.
inline constexpr std::size_t kMaxInputLine = 128;
// How much of a longer line StdConsole::ReadLine reads past those and drops; an input
// without line ends (a device of zero bytes) then counts as a line that ended there.
inline constexpr std::size_t kMaxSkippedInput = std::size_t{1} << 20;

class Console {
 public:
  virtual ~Console() = default;
  // Shows one line; the implementation adds the line end ("\n").
  virtual void WriteLine(std::string_view line) = 0;
  // One line of user input without its line end; nullopt at end of input.
  virtual std::optional<std::string> ReadLine() = 0;
  // True when the input comes from a person at a terminal (not a pipe or a file).
  virtual bool InputIsTerminal() const = 0;
  // True when standard output goes to a terminal (where control bytes would act).
  virtual bool OutputIsTerminal() const { return false; }
};

// Standard output / standard input. ReadLine keeps the first kMaxInputLine characters of
// the line (without its "\n" and a "\r" before it), drops the rest of the line, and holds no
// more than that in memory however long the line is.
class StdConsole : public Console {
 public:
  void WriteLine(std::string_view line) override;
  std::optional<std::string> ReadLine() override;
  bool InputIsTerminal() const override;
  bool OutputIsTerminal() const override;
};

// The lines of one list-directed console line: each starts with the carriage-control blank.
// Strings are written as stored; integers right-justified in 11 columns, 12 when the item
// before on the same line was a number; 79 columns after the first blank; a number that does
// not fit starts a new line; a string that does not fit fills the line and continues.
std::vector<std::string> ListDirectedLines(const OutList& values);

// Writes a formatted output (one or more records) to the console.
void WriteFormatted(Console& console, const Layout& layout, const OutList& values);
// Writes one list-directed console line (possibly wrapped onto several lines).
void WriteListDirected(Console& console, const OutList& values);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_CONSOLE_H_
