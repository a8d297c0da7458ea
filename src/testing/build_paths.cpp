#include "testing/build_paths.h"

#include <cstdlib>
#include <string_view>

namespace pedprep::testing {

std::filesystem::path SourceDir() { return PEDPREP_SOURCE_DIR; }

const char* ProgramPath() { return PEDPREP_BINARY; }

const char* FolderCallShimPath() { return PEDPREP_SHIM; }

std::filesystem::path SharedDataDir() {
  const char* env = std::getenv("PEDPREP_SHARED_DATA");
  if (env != nullptr && *env != '\0') return env;
  return SourceDir() / "../shared/data";
}

bool SharedDataRequired() {
  const char* env = std::getenv("PEDPREP_REQUIRE_SHARED_DATA");
  return env != nullptr && std::string_view(env) == "1";
}

}  // namespace pedprep::testing
