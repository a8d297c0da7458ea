// Test support for the driver's stages: a fresh run on an in-memory folder, and passport
// files and stores built from plain rows.
#ifndef PEDPREP_TESTING_DRIVER_TEST_SUPPORT_H_
#define PEDPREP_TESTING_DRIVER_TEST_SUPPORT_H_

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "records/console.h"
#include "records/file_system.h"

namespace pedprep::testing {

// One passport data record: family, individual, father, mother, breed, sex, initial id.
using PassportRow = std::array<long, 7>;

// A fresh run: zeroed store, capturing console, in-memory folder, recorded commands.
struct TestRun {
  TestRun() : ctx(std::make_unique<RunContext>(console, files, shell)) {}

  CapturingConsole console;
  MemoryFileSystem files;
  RecordingCommandRunner shell;
  std::unique_ptr<RunContext> ctx;
};

// PEDIGREE.PRN text: header "ND NRAC" in 5-column fields, seven text lines, then the rows
// in 5-column fields, every record ending in CR LF.
std::string PassportText(long nd, long nrac, const std::vector<PassportRow>& rows);

// Fills positions 1..rows.size() of the store as the passport reader would (ND included).
void FillStore(PedigreeStore& store, const std::vector<PassportRow>& rows);

// `count` founders of breed 1 and sex 1 in one family, numbered 1..count.
std::vector<PassportRow> FounderFamily(long family, int count);

}  // namespace pedprep::testing

#endif  // PEDPREP_TESTING_DRIVER_TEST_SUPPORT_H_
