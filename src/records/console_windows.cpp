#include <windows.h>

#include "records/console.h"

namespace pedprep {

// A console has a console mode; the NUL device, a pipe or a file has none (_isatty would
// call NUL a terminal, since it is a character device).
bool StdConsole::InputIsTerminal() const {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool StdConsole::OutputIsTerminal() const {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace pedprep
