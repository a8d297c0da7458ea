// Fuzzes the two readers of ids.csv: the one of `report` (and `draw`) and the one of `show`.
// Input: the ids.csv of a folder whose run finishes and whose outputs are in place (one
// family with a loop-break copy and parent copies, one without loops).
//
// Besides the sanitizers, every input must keep these promises:
//   - report ends with 0 (the report on `out`, nothing on `err`) or 2 (one INPUT ERROR line
//     naming ids.csv, nothing on `out`);
//   - show ends with 0 (a header and one line per row) or 1 (only lines naming ids.csv);
//   - a file show accepts, report accepts too, and both give each ini_id the same id.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "driver/run_driver.h"
#include "figures/run_facts.h"
#include "records/csv.h"
#include "records/input_error.h"
#include "reports/report.h"
#include "reports/show.h"
#include "testing/fakes.h"

namespace {

using namespace pedprep;

constexpr std::size_t kTableRows = 11;  // rows of the run's ped.dat

// The inputs and the outputs of a finished run.
const MemoryFileSystem& RunFolder() {
  static const MemoryFileSystem folder = [] {
    MemoryFileSystem files;
    std::string passport = "    8    2\r\n";
    for (int k = 0; k < 7; ++k) passport += "note\r\n";
    passport +=
        "    1    1    0    0    1    1    1\r\n    1    2    0    0    2    2    2\r\n"
        "    1    3    1    2    0    1    3\r\n    1    4    1    2    0    2    4\r\n"
        "    1    5    3    4    0    1    5\r\n    2    1    0    0    2    1    6\r\n"
        "    2    2    0    0    1    2    7\r\n    2    3    1    2    0    2    8\r\n";
    std::string database = "    8\r\n";
    for (int id = 1; id <= 8; ++id) {
      database +=
          "    " + std::to_string(id) + "    0    0    1    " + (id <= 5 ? "9" : "1") + "    1\r\n";
    }
    files.files = {{"PEDIGREE.PRN", passport},
                   {"database/pedigree.dat", database},
                   {"DEF.DAT", "Fuzz herd book\r\nMARKER.DAT\r\nloci\r\nnotes\r\n 2\r\n"},
                   {"database/markers.dat",
                    "    3  3  1  2  3\r\n    1   10   11   12\r\n    5   50   51   52\r\n"
                    "    9   70   71   72\r\n"}};
    CapturingConsole console;
    RecordingCommandRunner shell;
    RunContext run(console, files, shell);
    run.batch = true;
    if (RunPedprep(run) != kExitSuccess) __builtin_trap();
    return files;
  }();
  return folder;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFileSystem folder = RunFolder();
  folder.files["ids.csv"] = std::string(reinterpret_cast<const char*>(data), size);

  std::ostringstream report, report_err;
  const int report_status = WithRunFacts(folder, report_err, [&](const RunFacts& facts) {
    return RunReport(facts, true, report, report_err);
  });
  if (report_status == 0) {
    if (!report_err.str().empty() || report.str().empty()) __builtin_trap();
  } else {
    const std::vector<std::string> lines = Lines(report_err.str());
    if (report_status != kExitInputError || !report.str().empty() || lines.size() != 1 ||
        lines[0].rfind("INPUT ERROR: read of ids.csv, record ", 0) != 0) {
      __builtin_trap();
    }
  }

  std::ostringstream shown, show_err;
  const int show_status = RunShow(folder, true, shown, show_err);
  if (show_status != 0) {
    if (show_status != 1 || !shown.str().empty()) __builtin_trap();
    for (const std::string& line : Lines(show_err.str())) {
      if (line.rfind("ids.csv, line ", 0) != 0) __builtin_trap();
    }
    return 0;
  }
  if (!show_err.str().empty() || report_status != 0) __builtin_trap();

  // The same id for each ini_id in both, and each copy at its position: report's copies
  // against show's rows.
  std::map<std::string, std::string> id_of;
  std::map<std::string, std::string> ini_at;
  const std::vector<CsvRow> rows = ParseCsv(shown.str(), ',', "show");
  if (rows.size() != kTableRows + 1) __builtin_trap();
  for (const CsvRow& row : rows) {
    if (row.fields.size() != 11) __builtin_trap();
    id_of[row.fields[7]] = row.fields[10];
    ini_at[row.fields[0]] = row.fields[7];
  }
  for (const CsvRow& row : ParseCsv(report.str(), ',', "report")) {
    if (row.line == 1) continue;
    if (row.fields.size() != 7 || id_of.count(row.fields[5]) == 0 ||
        id_of[row.fields[5]] != row.fields[6] || ini_at[row.fields[3]] != row.fields[5]) {
      __builtin_trap();
    }
  }
  return 0;
}
