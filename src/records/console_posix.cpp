#include <unistd.h>

#include "records/console.h"

namespace pedprep {

bool StdConsole::InputIsTerminal() const { return isatty(STDIN_FILENO) == 1; }

bool StdConsole::OutputIsTerminal() const { return isatty(STDOUT_FILENO) == 1; }

}  // namespace pedprep
