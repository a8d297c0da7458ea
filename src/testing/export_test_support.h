// A fresh run with an in-memory folder, and builders for the store and the database files.
#ifndef PEDPREP_TESTING_EXPORT_TEST_SUPPORT_H_
#define PEDPREP_TESTING_EXPORT_TEST_SUPPORT_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/stop.h"
#include "export/export_state.h"
#include "records/console.h"
#include "records/file_system.h"

namespace pedprep {

struct TestRun {
  TestRun() : ctx(std::make_unique<RunContext>(console, files, shell)) {}

  // Appends position ND+1 (INI_ID narrowed to 16 bits).
  void AddRow(int family, int individual, int father, int mother, int breed, int sex, int ini_id);
  // Appends a BREAK_IND row.
  void AddBreak(int family, int copy_number, int copied_number, int ini_id);
  // database/pedigree.dat with NDAT records; identifiers absent from `nations` get 0.
  void SetDatabase(int ndat, const std::map<int, int>& nations);

  PedigreeStore& store() { return ctx->store; }

  CapturingConsole console;
  MemoryFileSystem files;
  RecordingCommandRunner shell;
  std::unique_ptr<RunContext> ctx;
  ExportState exports;
};

// "family individual father mother breed sex ini" of positions 1..ND, one per line.
std::string DescribeRows(const PedigreeStore& store);
// INS(1..NS+2) as "a b c ...".
std::string DescribeIns(const PedigreeStore& store);

}  // namespace pedprep

#endif  // PEDPREP_TESTING_EXPORT_TEST_SUPPORT_H_
