#include "cli/fault_guard.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "testing/build_paths.h"

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

// The program itself with too little memory for a herd book large enough to be read on two
// threads: at every limit it either finishes or says so with status 70, never aborts (a
// failed allocation on one thread while the other runs included).
TEST(FaultGuardTest, ProgramOutOfMemoryEndsWithStatus70) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limits allow";
#else
  namespace fs = std::filesystem;
  char name[] = "/tmp/pedprep-memory-XXXXXX";
  const fs::path dir = mkdtemp(name);
  {
    std::ofstream book(dir / "hb.csv", std::ios::binary);
    book << "id,sire,dam,sex\n";
    char row[32];
    for (int i = 0; i < 400000; ++i) {  // 6 MB
      std::snprintf(row, sizeof row, "A%09d,,,M\n", i);
      book << row;
    }
  }
  int out_of_memory = 0;
  for (const int megabytes : {24, 32, 40, 48, 64}) {
    SCOPED_TRACE(megabytes);
    const std::string command = "cd '" + dir.string() + "' && ulimit -v " +
                                std::to_string(megabytes * 1024) + " && exec '" +
                                std::string(pedprep::testing::ProgramPath()) +
                                "' import hb.csv -o out --force "
                                ">/dev/null 2>err.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    std::ifstream err_file(dir / "err.txt");
    const std::string err((std::istreambuf_iterator<char>(err_file)),
                          std::istreambuf_iterator<char>());
    if (WEXITSTATUS(status) == 0) continue;
    EXPECT_EQ(WEXITSTATUS(status), 70) << err;
    EXPECT_EQ(err, "pedprep: out of memory\n");
    ++out_of_memory;
  }
  fs::remove_all(dir);
  EXPECT_GT(out_of_memory, 0);
#endif
}

}  // namespace
}  // namespace pedprep
