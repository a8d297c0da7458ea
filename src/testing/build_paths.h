// Where the tests find the project's files, the built program and the shared data sets.
// Only build_paths.cpp is compiled with the build's paths, so every other test file compiles
// to the same object in any checkout (and a compiler cache can share it).
#ifndef PEDPREP_TESTING_BUILD_PATHS_H_
#define PEDPREP_TESTING_BUILD_PATHS_H_

#include <filesystem>

namespace pedprep::testing {

// The source tree (the folder holding src/, example/ and doc/).
std::filesystem::path SourceDir();

// The pedprep program built beside the tests.
const char* ProgramPath();

// The shim the whole-program tests preload (testing/preload/folder_call_shim.cpp).
const char* FolderCallShimPath();

// The shared data sets: $PEDPREP_SHARED_DATA, else ../shared/data beside the source tree.
std::filesystem::path SharedDataDir();

// Whether a missing shared data set must fail a test instead of skipping it: set by CI
// (PEDPREP_REQUIRE_SHARED_DATA=1), where the data sets are always beside the checkout.
bool SharedDataRequired();

}  // namespace pedprep::testing

// In a test: skips it (or fails it, where the data are required) when `path` is missing.
#define PEDPREP_NEED_SHARED_DATA(path)                                              \
  do {                                                                              \
    if (!std::filesystem::exists(path)) {                                           \
      if (::pedprep::testing::SharedDataRequired()) FAIL() << "missing " << (path); \
      GTEST_SKIP() << "no " << (path);                                              \
    }                                                                               \
  } while (false)

#endif  // PEDPREP_TESTING_BUILD_PATHS_H_
