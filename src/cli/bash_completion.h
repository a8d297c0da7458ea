// The bash completion of a program, made from its command definitions (cli/arguments.h) and
// installed as share/bash-completion/completions/PROGRAM.
//
// What a TAB completes: after the program's name, the commands and the program's options;
// after a command, its options when the word starts with "-", else its positional; a value
// after an option that takes one, by the kind of value (ValueKindOf). Choices are offered
// quoted for the shell (`;` as `\;`).
#ifndef PEDPREP_CLI_BASH_COMPLETION_H_
#define PEDPREP_CLI_BASH_COMPLETION_H_

#include <string>

#include "cli/arguments.h"

namespace pedprep {

enum class ValueKind {
  kNone,     // a flag takes no value
  kChoices,  // one of the argument's choices
  kFolder,   // a folder: an existing one (ExistingDirectory), or a placeholder naming one
             // (FOLDER, DIR)
  kFile,     // a file: a placeholder naming one (FILE, HERDBOOK) or any other positional
  kOther,    // a number, a code or a name: nothing to offer
};
ValueKind ValueKindOf(const Argument& argument);

// The script: one function `_PROGRAM` and the `complete` line that binds it.
std::string BashCompletion(const CommandLine& line);

}  // namespace pedprep

#endif  // PEDPREP_CLI_BASH_COMPLETION_H_
