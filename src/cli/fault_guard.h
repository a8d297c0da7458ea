// The last line of defence of the program: an exception that no command handled ends the
// program with a message and kExitInternal instead of an abort.
#ifndef PEDPREP_CLI_FAULT_GUARD_H_
#define PEDPREP_CLI_FAULT_GUARD_H_

#include <functional>
#include <ostream>

namespace pedprep {

// Returns body()'s exit status. When body throws, writes one line on `err` and returns
// kExitInternal (core/exit_status.h):
//   std::bad_alloc             "pedprep: out of memory"
//   another std::exception e   "pedprep: internal error: " + e.what()
//   anything else              "pedprep: internal error: unknown exception"
int RunCatchingFaults(const std::function<int()>& body, std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_CLI_FAULT_GUARD_H_
