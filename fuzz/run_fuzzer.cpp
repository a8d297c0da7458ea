// Fuzzes whole runs on an in-memory folder. The input is split at "\n@@\n" into the folder's
// files: PEDIGREE.PRN, database/pedigree.dat, DEF.DAT, database/markers.dat, and pause
// answers; missing parts are left out of the folder.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "driver/run_context.h"
#include "driver/run_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pedprep;
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (parts.size() < 5) {
    const std::size_t cut = input.find("\n@@\n", start);
    if (cut == std::string::npos) {
      parts.push_back(input.substr(start));
      break;
    }
    parts.push_back(input.substr(start, cut - start));
    start = cut + 4;
  }
  static const char* const kNames[] = {"PEDIGREE.PRN", "database/pedigree.dat", "DEF.DAT",
                                       "database/markers.dat"};
  MemoryFileSystem files;
  CapturingConsole console;
  for (std::size_t k = 0; k < parts.size() && k < 4; ++k) files.files[kNames[k]] = parts[k];
  if (parts.size() == 5) console.answers = {parts[4]};
  RecordingCommandRunner shell;
  auto ctx = std::make_unique<RunContext>(console, files, shell);
  const int status = RunPedprep(*ctx);
  if (status != 0 && status != 2) __builtin_trap();
  return 0;
}
