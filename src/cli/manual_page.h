// The manual page of a program in roff (man(7)), made from a template of prose and the
// program's command definitions (cli/arguments.h), so that every command and option is in it.
//
// The template is roff text with three markers, each replaced wherever it stands:
//   @VERSION@   what --version prints ("pedprep 1.0.0")
//   @SYNOPSIS@  the usage line of the program and of each command, one a line
//   @COMMANDS@  per command: its usage line as a subsection, its description, its
//               positionals and options (names in bold, values in italics, what each means,
//               its default) and its notes
#ifndef PEDPREP_CLI_MANUAL_PAGE_H_
#define PEDPREP_CLI_MANUAL_PAGE_H_

#include <string>

#include "cli/arguments.h"

namespace pedprep {

// `text` as roff text: a backslash as \e, every "-" as \- (so that options read and copy as
// typed), a line that starts with "." or "'" protected with \&.
std::string RoffEscape(const std::string& text);

std::string ManualPage(const CommandLine& line, const std::string& page_template);

}  // namespace pedprep

#endif  // PEDPREP_CLI_MANUAL_PAGE_H_
