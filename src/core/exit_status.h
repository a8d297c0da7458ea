// The exit statuses of pedprep, one table for the run and every command. A script tells
// from them how a command ended; only kExitSuccess means the work was done.
#ifndef PEDPREP_CORE_EXIT_STATUS_H_
#define PEDPREP_CORE_EXIT_STATUS_H_

namespace pedprep {

// Done: the run wrote its outputs (the success line shown), the import wrote the input
// folder, show, report or draw wrote what was asked for, --help or --version answered.
inline constexpr int kExitSuccess = 0;
// Stopped or refused: a check or a limit stopped the run; the import found problems in the
// herd book; show found the files disagreeing; draw has no such family or the run stops.
// Nothing was written.
inline constexpr int kExitStopped = 1;
// A file could not be read (missing, too short, a field that is not a valid number or is out
// of range) or an output could not be written; a line names the file and the record.
inline constexpr int kExitInputError = 2;
// A command-line usage error (an unknown command or option, a missing or bad value): nothing
// ran.
inline constexpr int kExitUsage = 64;
// A fault inside pedprep (an unexpected exception, memory exhausted), reported in one line on
// standard error.
inline constexpr int kExitInternal = 70;

}  // namespace pedprep

#endif  // PEDPREP_CORE_EXIT_STATUS_H_
