#include "cli/fault_guard.h"

#include <exception>
#include <new>

#include "core/exit_status.h"

namespace pedprep {

int RunCatchingFaults(const std::function<int()>& body, std::ostream& err) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    err << "pedprep: out of memory\n";  // nothing allocated to say it
  } catch (const std::exception& e) {
    err << "pedprep: internal error: " << e.what() << "\n";
  } catch (...) {
    err << "pedprep: internal error: unknown exception\n";
  }
  err.flush();
  return kExitInternal;
}

}  // namespace pedprep
