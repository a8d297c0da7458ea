// Fuzzes the herd-book reader and the whole import on in-memory folders. Input: the first
// byte picks the options, the rest is the herd book, optionally followed by "\n@@\n" and a
// keep file. Option bits: 0-1 the delimiter (detected, ',', ';', TAB), 2 a marker column
// "gt1", 3 a second marker column "m2", 4 default sex F and breed X, 5 the missing code
// "unknown", 6 the keep file (when given), 7 one generation of ancestors with it.
//
// Besides the sanitizers, every input must keep these promises:
//   - a quote-free herd book reads the same as the same table with its fields quoted (the
//     plain splitter and the quoting parser agree, and quoted fields outlive the parse);
//   - every row read has a non-empty, trimmed id and lies within the file's lines, in order
//     (a record after a lone CR shares the line of the one before);
//   - the import ends with 0 (the five files written at once, a summary, no problem), 1 (the
//     problems listed and counted, nothing written) or 2 (one line, nothing written);
//   - a folder the import wrote runs to its end, and `show` accepts what the run wrote.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/exit_status.h"
#include "core/run_context.h"
#include "driver/run_driver.h"
#include "import/herdbook.h"
#include "import/import_command.h"
#include "records/byte_order_mark.h"
#include "records/csv.h"
#include "records/input_error.h"
#include "reports/show.h"
#include "testing/fakes.h"

namespace {

using namespace pedprep;

// Counts the writes, so that a folder written in more than one step shows.
class CountingFolder : public MemoryFileSystem {
 public:
  // WriteFiles comes here too.
  std::vector<std::string> ReplaceFiles(const std::vector<OutputFile>& files,
                                        const std::vector<std::string>& removals) override {
    ++writes;
    return MemoryFileSystem::ReplaceFiles(files, removals);
  }
  int writes = 0;
};

// `text` (without quotes) with every non-blank field enclosed in quotes: the same table for
// the quoting parser.
std::string Quoted(std::string_view text, char delimiter) {
  auto blank = [delimiter](char c) {
    return (c == ' ' && delimiter != ' ') || (c == '\t' && delimiter != '\t');
  };
  std::string out;
  std::size_t start = 0;
  for (std::size_t k = 0; k <= text.size(); ++k) {
    const bool end = k == text.size();
    if (!end && text[k] != delimiter && text[k] != '\r' && text[k] != '\n') continue;
    std::string_view field = text.substr(start, k - start);
    while (!field.empty() && blank(field.front())) field.remove_prefix(1);
    while (!field.empty() && blank(field.back())) field.remove_suffix(1);
    if (field.empty()) {
      out += text.substr(start, k - start);
    } else {
      out += '"';
      out += field;
      out += '"';
    }
    if (!end) out += text[k];
    start = k + 1;
  }
  return out;
}

struct ReadResult {
  bool thrown = false;
  std::vector<std::string> rows;  // each row's data, one string
  std::vector<std::string> problems;
  long rows_read = 0;
  bool usable = false;
};

ReadResult Read(std::string_view text, const HerdbookFormat& format) {
  ReadResult result;
  std::vector<ImportProblem> problems;
  try {
    const Herdbook book = ReadHerdbook(text, "hb.csv", format, &problems);
    result.rows_read = book.rows_read;
    result.usable = book.usable;
    const long lines = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
    long last_line = 0;
    for (std::size_t r = 0; r < book.RowCount(); ++r) {
      const HerdbookRow& row = book.Row(r);
      if (row.id.empty() || row.id.front() == ' ' || row.id.back() == ' ') __builtin_trap();
      if (row.line < 1 || row.line > lines || row.line < last_line) __builtin_trap();
      last_line = row.line;
      std::string data = std::to_string(row.line) + "|" + std::string(row.id) + "|" +
                         std::string(row.sire) + "|" + std::string(row.dam) + "|" +
                         std::string(row.breed) + "|" + std::to_string(static_cast<int>(row.sex)) +
                         "|" + std::to_string(row.nation) + "|" + (row.has_markers ? "m" : "-");
      for (std::size_t m = 0; m < book.marker_count; ++m) {
        data += "|" + std::to_string(book.Markers(r)[m]);
      }
      result.rows.push_back(data);
    }
    if (!book.usable && book.RowCount() != 0) __builtin_trap();
    if (static_cast<long>(book.RowCount()) > book.rows_read) __builtin_trap();
  } catch (const InputError& e) {
    result.thrown = true;
  }
  for (const ImportProblem& p : problems) result.problems.push_back(FormatProblem(p));
  return result;
}

bool SameRead(const ReadResult& a, const ReadResult& b) {
  return a.thrown == b.thrown && a.rows == b.rows && a.problems == b.problems &&
         a.rows_read == b.rows_read && a.usable == b.usable;
}

void CheckImport(const ImportOptions& options, const std::string& herdbook,
                 const std::string* keep) {
  MemoryFileSystem input;
  input.files[options.herdbooks.front()] = herdbook;
  if (keep != nullptr) input.files[options.keep_file] = *keep;
  CountingFolder folder;
  std::ostringstream out, err;
  const int status = RunImport(options, out, err, input, folder);
  if (status == kExitSuccess) {
    if (folder.writes != 1 || folder.files.size() != 5 || out.str().empty()) __builtin_trap();
    // A finished import may warn (a book read as Windows-1252), never list a problem.
    std::istringstream warnings(err.str());
    for (std::string line; std::getline(warnings, line);) {
      if (line.rfind("pedprep import: ", 0) != 0) __builtin_trap();
    }
  } else {
    if (!folder.files.empty() || !out.str().empty()) __builtin_trap();
    const std::string text = err.str();
    if (status == kExitStopped) {
      if (text.find(", nothing written\n") == std::string::npos) __builtin_trap();
    } else if (status != kExitInputError || std::count(text.begin(), text.end(), '\n') != 1) {
      __builtin_trap();
    }
    return;
  }

  // The written folder is a complete input folder: the run finishes, show reads its output.
  CapturingConsole console;
  RecordingCommandRunner shell;
  RunContext run(console, folder, shell);
  run.batch = true;
  if (RunPedprep(run) != kExitSuccess) __builtin_trap();
  std::ostringstream shown, show_err;
  if (RunShow(folder, false, shown, show_err) != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t bits = data[0];
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t cut = input.find("\n@@\n");
  const std::string herdbook = input.substr(0, cut);
  const std::string keep = cut == std::string::npos ? "" : input.substr(cut + 4);

  HerdbookFormat format;
  format.delimiter = "\0,;\t"[bits & 3];
  if ((bits & 4) != 0) format.markers.push_back("gt1");
  if ((bits & 8) != 0) format.markers.push_back("m2");
  if ((bits & 32) != 0) format.missing.push_back("unknown");

  const ReadResult plain = Read(herdbook, format);
  const std::string_view text = WithoutByteOrderMark(herdbook);
  // Blank-separated books know no quoting, so the property holds for delimited ones only.
  const char delimiter =
      format.delimiter != 0 ? format.delimiter : DetectHerdbookDelimiter(herdbook);
  if (text.find('"') == std::string_view::npos && delimiter != kBlankSeparated) {
    const std::string mark(herdbook.data(), herdbook.size() - text.size());
    if (!SameRead(plain, Read(mark + Quoted(text, delimiter), format))) __builtin_trap();
  }

  ImportOptions options;
  options.herdbooks = {"hb.csv"};
  options.output_folder = "out";
  options.delimiter = format.delimiter;
  options.markers = format.markers;
  options.missing = format.missing;
  if ((bits & 16) != 0) {
    options.default_sex = Sex::kFemale;
    options.default_breed = "X";
  }
  const bool with_keep = (bits & 64) != 0 && cut != std::string::npos;
  if (with_keep) {
    options.keep_file = "keep.txt";
    if ((bits & 128) != 0) options.generations = 1;
  }
  CheckImport(options, herdbook, with_keep ? &keep : nullptr);
  return 0;
}
