// Test support shared by every stage: one fresh run on an in-memory folder, and the one way
// to fill a store (or a passport file) from passport records.
#ifndef PEDPREP_TESTING_TEST_RUN_H_
#define PEDPREP_TESTING_TEST_RUN_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/stop.h"
#include "export/export_state.h"
#include "records/console.h"
#include "records/file_system.h"
#include "testing/fakes.h"

namespace pedprep::testing {

// One passport record. Fields are `long` so that tests may build rows from any integer
// expression; the store keeps the low bits its columns hold.
struct PassportRow {
  long family = 0;
  long individual = 0;
  long father = 0;
  long mother = 0;
  long breed = 0;
  long sex = 1;
  long initial_id = 0;
};

// Writes `row` into position `position` as the passport reader would.
void SetRow(PedigreeStore& store, int position, const PassportRow& row);
// Positions 1..rows.size() take the rows in order; ND, NRAC and INS (through CRTINS) follow.
// With more than kMaxFamilies families INS is left as it was (the checks refuse such rows).
void FillStore(PedigreeStore& store, const std::vector<PassportRow>& rows, int nrac = 1);

// PEDIGREE.PRN text: header "ND NRAC" in 5-column fields, seven text lines, then the rows
// in 5-column fields, every record ending in CR LF.
std::string PassportText(long nd, long nrac, const std::vector<PassportRow>& rows);

// `count` founders of breed 1 and sex 1 in one family, numbered 1..count (initial id = number).
std::vector<PassportRow> FounderFamily(long family, int count);

// A fresh run: zeroed store, capturing console, in-memory folder, recorded commands, and the
// state the export stages hand on.
struct TestRun {
  TestRun() : ctx(std::make_unique<RunContext>(console, files, shell)) {}

  PedigreeStore& store() { return ctx->store; }
  // Appends position ND+1 (INS is not rebuilt).
  void AddRow(const PassportRow& row);
  // Appends a BREAK_IND row.
  void AddBreak(int family, int copy_number, int copied_number, int ini_id);
  // database/pedigree.dat with NDAT records; identifiers absent from `nations` get 0.
  void SetDatabase(int ndat, const std::map<int, int>& nations);
  // The console text written so far; clears it.
  std::string TakeOutput();

  CapturingConsole console;
  MemoryFileSystem files;
  RecordingCommandRunner shell;
  std::unique_ptr<RunContext> ctx;
  ExportState exports;
};

// The last `bytes` of `text` (all of it when shorter).
std::string Tail(const std::string& text, std::size_t bytes);

// "family individual father mother breed sex ini" of positions 1..ND, one per line.
std::string DescribeRows(const PedigreeStore& store);
// INS(1..NS+2) as "a b c ...".
std::string DescribeIns(const PedigreeStore& store);

}  // namespace pedprep::testing

#endif  // PEDPREP_TESTING_TEST_RUN_H_
