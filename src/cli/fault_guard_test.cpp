#include "cli/fault_guard.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace pedprep {
namespace {

TEST(FaultGuardTest, AnExceptionBecomesOneLineAndStatus70) {
  struct Case {
    const char* name;
    std::function<int()> body;
    int status;
    std::string err;
  };
  const std::vector<Case> cases = {
      {"a status passes through", [] { return 2; }, 2, ""},
      {"std::exception", []() -> int { throw std::logic_error("slot 7 out of range"); }, 70,
       "pedprep: internal error: slot 7 out of range\n"},
      {"out of memory", []() -> int { throw std::bad_alloc(); }, 70, "pedprep: out of memory\n"},
      {"a huge array", []() -> int { throw std::bad_array_new_length(); }, 70,
       "pedprep: out of memory\n"},
      {"not a std::exception", []() -> int { throw 42; }, 70,
       "pedprep: internal error: unknown exception\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ostringstream err;
    EXPECT_EQ(RunCatchingFaults(c.body, err), c.status);
    EXPECT_EQ(err.str(), c.err);
  }
}

}  // namespace
}  // namespace pedprep
