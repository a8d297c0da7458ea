// The command line in words, made from its definitions (cli/arguments.h) alone, so that a new
// option shows up in the help, the manual page and the shell completion without more work.
//
// A value is shown as users type it: a positional by its name (HERDBOOK); an option's by its
// choices joined by "|" (`--delimiter ,|;|tab`), else
// the placeholder given with TypeName (`-o, --output FILE`), else N for an integer and TEXT
// for a text; a repeatable option adds " ..." (`--marker COLUMN ...`).
#ifndef PEDPREP_CLI_HELP_TEXT_H_
#define PEDPREP_CLI_HELP_TEXT_H_

#include <string>
#include <vector>

#include "cli/arguments.h"

namespace pedprep {

// The names of an option as defined, one each: {"-o", "--output"}; a positional's one name.
std::vector<std::string> ArgumentNames(const Argument& argument);

// The value's placeholder as described above; "" for a flag.
std::string ValuePlaceholder(const Argument& argument);

// The names and the placeholder as the help's left column: "-o, --output FILE".
std::string ArgumentSynopsis(const Argument& argument);

// The value before parsing, for an argument that shows its default ("" otherwise).
std::string DefaultValue(const Argument& argument);

// The description with what the definition adds: " (required)", " (default: X)".
std::string ArgumentDescription(const Argument& argument);

// How a command is called: "pedprep import [OPTIONS] HERDBOOK",
// "pedprep draw --family N [OPTIONS] [FOLDER]"; the program's own with `command` nullptr.
std::string UsageLine(const CommandLine& line, const Command* command);

// What `--help` prints: of the program (`command` nullptr) or of one command: the
// description, the usage line, the positionals, the options and the command's notes, wrapped
// at 80 columns.
std::string HelpText(const CommandLine& line, const Command* command);

}  // namespace pedprep

#endif  // PEDPREP_CLI_HELP_TEXT_H_
