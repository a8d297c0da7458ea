// Fuzzes whole runs on an in-memory folder. The input is split at "\n@@\n" into the folder's
// files: PEDIGREE.PRN, database/pedigree.dat, DEF.DAT, database/markers.dat, and pause
// answers; missing parts are left out of the folder.
//
// Besides the sanitizers, every run must keep three promises:
//   - it ends with exit status 0 (outputs written), 1 (stopped) or 2 (an input error);
//   - the output files appear all together, exactly when the success line was shown;
//   - the straightforward stages give the same status, console text and files.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "driver/run_driver.h"
#include "fuzz_parts.h"
#include "reference/reference_stages.h"
#include "testing/fakes.h"

namespace {

using namespace pedprep;

struct RunResult {
  int status = 0;
  std::string shown;
  std::map<std::string, std::string> files;
  std::vector<std::string> commands;
  bool passed_checks = false;  // the sex check ran and found nothing
};

RunResult RunOnce(const std::vector<std::string>& parts, bool reference_stages) {
  static const char* const kNames[] = {"PEDIGREE.PRN", "database/pedigree.dat", "DEF.DAT",
                                       "database/markers.dat"};
  MemoryFileSystem files;
  CapturingConsole console;
  for (std::size_t k = 0; k < parts.size() && k < 4; ++k) files.files[kNames[k]] = parts[k];
  if (parts.size() == 5) console.answers = {parts[4]};
  RecordingCommandRunner shell;
  RunContext ctx(console, files, shell);
  RunResult result;
  result.status = RunPedprep(ctx, reference_stages ? ReferenceStages() : ProductStages());
  result.shown = console.output;
  result.files = files.files;
  result.commands = shell.commands;
  result.passed_checks = ctx.store.NumFamilies() > 0 && ctx.store.MM == 0;
  return result;
}

// The run wrote its outputs if and only if it showed the success line; a successful run
// wrote ped.dat, PEDIGREE and ID.PE (the marker file's name comes from DEF.DAT).
bool OutputsMatchVerdict(const RunResult& r) {
  const bool success =
      r.shown.find("ALL RIGHT: UNFORMATED FILES  FOR ANALYZE ARE CREATED\n") != std::string::npos;
  int present = 0;
  for (const char* name : {"ped.dat", "PEDIGREE", "ID.PE"}) present += r.files.count(name) != 0;
  if (success) return r.status == kExitSuccess && present == 3;
  if (r.status == kExitSuccess) return false;
  // A failed run may only have left the four input files.
  for (const auto& entry : r.files) {
    const std::string& name = entry.first;
    if (name != "PEDIGREE.PRN" && name != "database/pedigree.dat" && name != "DEF.DAT" &&
        name != "database/markers.dat") {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> parts = SplitFuzzParts(input, 5);
  const RunResult fast = RunOnce(parts, false);
  if (fast.status != kExitSuccess && fast.status != kExitStopped &&
      fast.status != kExitInputError) {
    __builtin_trap();
  }
  if (!OutputsMatchVerdict(fast)) __builtin_trap();
  // The straightforward stages differ only from the blood fractions on.
  if (!fast.passed_checks) return 0;
  const RunResult reference = RunOnce(parts, true);
  if (reference.status != fast.status || reference.shown != fast.shown ||
      reference.files != fast.files || reference.commands != fast.commands) {
    __builtin_trap();
  }
  return 0;
}
