#include "reports/show.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/exit_status.h"
#include "core/run_files.h"
#include "records/csv.h"
#include "records/definition_file.h"
#include "records/escape.h"
#include "records/input_error.h"
#include "records/input_folder.h"
#include "records/layout.h"
#include "records/segmented_reader.h"
#include "records/text_reader.h"
#include "records/values.h"

namespace pedprep {
namespace {

constexpr std::size_t kNameLength = 20;
// ped.dat: record 1 ND, records 2..10 the headings, record 11 the format, then the rows.
// Headings are 20 characters, the format record 30; both are compared over kHeadWidth
// columns, blank-padded, so that text added after them is found too.
constexpr std::array<const char*, 9> kHeadings = {
    "family number", "individual number",  "father`s number", "mother`s number", "prob", "sex",
    "ini_id",        nullptr /* marker */, "nation"};
constexpr std::size_t kFormatLength = 30;
constexpr std::size_t kHeadWidth = 80;
constexpr long kFirstTableRow = 12;
constexpr int kTableColumns = 9;
constexpr std::size_t kMaxReportedDifferences = 20;
constexpr std::size_t kCountBytes = 4;  // ND, 32-bit, at the start of each first record

enum Column {
  kPosition,
  kFamily,
  kIndividual,
  kFather,
  kMother,
  kProb,
  kSex,
  kIniId,
  kMarker,
  kNation,
  kNumberColumns
};
constexpr std::array<const char*, kNumberColumns> kColumnNames = {
    "position", "family", "individual", "father", "mother",
    "prob",     "sex",    "ini_id",     "marker", "nation"};
constexpr const char* kIdColumn = "id";

using Faults = std::vector<std::string>;

// A value of the table and the byte of a binary file where it starts.
struct Cell {
  int32_t value = 0;
  const char* file = "";
  std::size_t offset = 0;
};

struct Row {
  std::array<Cell, kNumberColumns> cells;
  std::string id;
};

// Record k of a binary file holds fixed[k] + per_row[k] * max(ND, 0) data bytes.
struct BinaryShape {
  std::vector<int64_t> fixed;
  std::vector<int64_t> per_row;
};

struct BinaryFile {
  std::string name;
  std::string bytes;
  std::vector<SegmentedRecord> records;
  bool has_count = false;  // framing correct and ND present
  bool usable = false;     // also the records and their sizes as the shape says
  int32_t nd = 0;

  std::size_t CountOffset() const { return records[0].FileOffset(0); }
};

std::string ReadWhole(FileSystem& folder, const std::string& name) {
  std::string bytes;
  if (!folder.ReadFile(name, &bytes)) throw InputError("open", name, 0, "file not found", "");
  return bytes;
}

// DEF.DAT record 2 as read (20 characters, blank-padded): the marker file name, refused as
// the run refuses it (so show never opens a file outside the folder).
std::string ReadName1(FileSystem& folder) {
  const std::string name1 = ReadMarkerFileRecord(folder, kDefinitionFile);
  if (TrimFileName(name1).empty()) {
    throw InputError("read", kDefinitionFile, 2, "the marker file name is blank", "");
  }
  const std::string problem = MarkerFileNameProblem(TrimFileName(name1));
  if (!problem.empty()) throw InputError("read", kDefinitionFile, 2, problem, TrimFileName(name1));
  return name1;
}

// ped.dat's records 2..11: the headings, the marker's being NAME1 up to its first "." with
// zero bytes after, and the format record.
std::vector<std::string> ExpectedHead(const std::string& name1) {
  std::vector<std::string> head;
  for (const char* heading : kHeadings) {
    if (heading != nullptr) {
      head.emplace_back(heading);
      head.back().resize(kNameLength, ' ');
    } else {
      head.emplace_back(name1.substr(0, name1.find('.')));
      head.back().resize(kNameLength, '\0');
    }
  }
  head.push_back("(20i5)");
  head.back().resize(kFormatLength, '\0');
  return head;
}

std::string WithoutTrailingBlanks(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

int64_t Rows(int32_t nd) { return std::max<int32_t>(nd, 0); }

void CheckBinary(BinaryFile& file, const BinaryShape& shape, Faults& faults) {
  auto fault = [&](std::size_t offset, const std::string& problem) {
    faults.push_back(file.name + ", byte " + std::to_string(offset) + ": " + problem);
  };
  try {
    file.records = ReadSegmentedFile(file.bytes, file.name);
  } catch (const SegmentedFileError& e) {
    faults.push_back(e.what());
    return;
  }
  const std::size_t expected_records = shape.fixed.size();
  if (file.records.empty() || file.records[0].data.size() < kCountBytes) {
    fault(file.records.empty() ? 1 : file.records[0].offset,
          "expected a first record starting with the count ND (4 bytes), found " +
              (file.records.empty() ? std::string("no record")
                                    : std::to_string(file.records[0].data.size()) + " bytes"));
    return;
  }
  file.nd = LoadInt32(file.records[0].data, 0);
  file.has_count = true;
  if (file.records.size() != expected_records) {
    const std::size_t offset = file.records.size() > expected_records
                                   ? file.records[expected_records].offset
                                   : file.bytes.size() - 1;
    fault(offset, "expected " + std::to_string(expected_records) +
                      (expected_records == 1 ? " record" : " records") + ", found " +
                      std::to_string(file.records.size()));
    return;
  }
  bool sizes_ok = true;
  for (std::size_t k = 0; k < expected_records; ++k) {
    const int64_t expected = shape.fixed[k] + shape.per_row[k] * Rows(file.nd);
    const int64_t found = static_cast<int64_t>(file.records[k].data.size());
    if (expected == found) continue;
    sizes_ok = false;
    std::string rule = std::to_string(shape.per_row[k]) + " x ND";
    if (shape.fixed[k] != 0) rule = std::to_string(shape.fixed[k]) + " + " + rule;
    fault(file.records[k].offset, "expected record " + std::to_string(k + 1) + " of " + rule +
                                      " = " + std::to_string(expected) + " data bytes for ND = " +
                                      std::to_string(file.nd) + ", found " + std::to_string(found));
  }
  file.usable = sizes_ok;
}

// PEDIGREE, ID.PE and the marker file, checked; the table when all three are usable and
// agree on ND.
bool ReadBinaryRows(std::array<BinaryFile, 3>& files, std::vector<Row>* rows, Faults& faults) {
  BinaryFile& pedigree = files[0];
  BinaryFile& identifiers = files[1];
  BinaryFile& markers = files[2];
  CheckBinary(pedigree, {{4}, {10}}, faults);
  CheckBinary(identifiers, {{4}, {2}}, faults);
  CheckBinary(markers, {{4, 0}, {1, 1}}, faults);

  const BinaryFile* reference = nullptr;
  bool same_count = true;
  for (const BinaryFile& file : files) {
    if (!file.has_count) continue;
    if (reference == nullptr) {
      reference = &file;
    } else if (file.nd != reference->nd) {
      same_count = false;
      faults.push_back(file.name + ", byte " + std::to_string(file.CountOffset()) +
                       ": expected ND = " + std::to_string(reference->nd) + " as in " +
                       reference->name + ", found " + std::to_string(file.nd));
    }
  }
  if (!same_count) return false;
  for (const BinaryFile& file : files) {
    if (!file.usable) return false;
  }

  const SegmentedRecord& p = pedigree.records[0];
  const SegmentedRecord& ids = identifiers.records[0];
  const SegmentedRecord& marks = markers.records[0];
  const SegmentedRecord& nations = markers.records[1];
  const int64_t count = Rows(pedigree.nd);
  rows->resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < rows->size(); ++i) {
    std::array<Cell, kNumberColumns>& c = (*rows)[i].cells;
    c[kPosition] = {static_cast<int32_t>(i + 1), "", 0};
    const std::size_t base = kCountBytes + 10 * i;
    for (int k = 0; k < 4; ++k) {
      const std::size_t at = base + 2 * static_cast<std::size_t>(k);
      c[kFamily + k] = {LoadInt16(p.data, at), kPedigreeBinaryFile, p.FileOffset(at)};
    }
    c[kProb] = {LoadInt8(p.data, base + 8), kPedigreeBinaryFile, p.FileOffset(base + 8)};
    c[kSex] = {LoadInt8(p.data, base + 9), kPedigreeBinaryFile, p.FileOffset(base + 9)};
    const std::size_t id_at = kCountBytes + 2 * i;
    c[kIniId] = {LoadInt16(ids.data, id_at), kIdentifierFile, ids.FileOffset(id_at)};
    const std::size_t mark_at = kCountBytes + i;
    c[kMarker] = {LoadInt8(marks.data, mark_at), markers.name.c_str(), marks.FileOffset(mark_at)};
    c[kNation] = {LoadInt8(nations.data, i), markers.name.c_str(), nations.FileOffset(i)};
  }
  return true;
}

// Columns the binary files hold in 8 bits while ped.dat shows the full value.
bool EightBit(int column) {
  return column == kProb || column == kSex || column == kMarker || column == kNation;
}

void CheckPedigreeTable(const std::string& bytes, const std::string& name1, int32_t nd,
                        const std::vector<Row>& rows, Faults& faults) {
  TextReader reader(kPedigreeTableFile, bytes);
  const Layout numbers = Layout::Parse("20I5");
  std::size_t differences = 0;
  try {
    int32_t table_nd = 0;
    reader.Read(numbers, {Into(table_nd)});
    if (table_nd != nd) {
      faults.push_back(std::string(kPedigreeTableFile) +
                       ", record 1: expected ND = " + std::to_string(nd) + " as in " +
                       kPedigreeBinaryFile + ", found " + std::to_string(table_nd));
      return;
    }
    const Layout head_layout = Layout::Parse("A80");
    for (std::string expected : ExpectedHead(name1)) {
      std::string found;
      reader.Read(head_layout, {IntoText(found, kHeadWidth)});
      expected.resize(kHeadWidth, ' ');
      if (found == expected) continue;
      faults.push_back(std::string(kPedigreeTableFile) + ", record " +
                       std::to_string(reader.records_read()) + ": expected \"" +
                       EscapeControlBytes(WithoutTrailingBlanks(expected)) + "\", found \"" +
                       EscapeControlBytes(WithoutTrailingBlanks(found)) + "\"");
    }
    std::array<int32_t, kTableColumns> values{};
    InList targets;
    for (int32_t& v : values) targets.push_back(Into(v));
    for (std::size_t i = 0; i < rows.size(); ++i) {
      reader.Read(numbers, targets);
      for (int k = 0; k < kTableColumns; ++k) {
        const Cell& cell = rows[i].cells[k + 1];
        const bool equal =
            EightBit(k + 1) ? ((values[k] ^ cell.value) & 0xFF) == 0 : values[k] == cell.value;
        if (equal) continue;
        if (++differences > kMaxReportedDifferences) continue;
        faults.push_back(std::string(kPedigreeTableFile) + ", record " +
                         std::to_string(kFirstTableRow + static_cast<long>(i)) + " (position " +
                         std::to_string(i + 1) + "): expected " + kColumnNames[k + 1] + " " +
                         std::to_string(cell.value) + " as in " + cell.file + " byte " +
                         std::to_string(cell.offset) + ", found " + std::to_string(values[k]));
      }
    }
  } catch (const InputError& e) {
    faults.push_back(std::string(kPedigreeTableFile) + ", record " + std::to_string(e.record()) +
                     ": " + e.problem() +
                     (e.text().empty() ? "" : ": \"" + EscapeControlBytes(e.text()) + "\""));
    return;
  }
  if (differences > kMaxReportedDifferences) {
    faults.push_back(std::string(kPedigreeTableFile) + ": " +
                     std::to_string(differences - kMaxReportedDifferences) +
                     " more differences not shown");
  }
  const long after = reader.records_read() + 1;
  try {
    std::string text;
    reader.Read(Layout::Parse("A1"), {IntoText(text, 1)});
  } catch (const InputError&) {
    return;  // end of file, as expected
  }
  faults.push_back(std::string(kPedigreeTableFile) + ", record " + std::to_string(after) +
                   ": expected the end of the file after the row of position " +
                   std::to_string(rows.size()) + ", found another record");
}

// ini_id -> id from ids.csv; empty when the folder has none. Its faults join `faults`.
std::map<int32_t, std::string> ReadIds(FileSystem& folder, Faults& faults) {
  std::map<int32_t, std::string> ids;
  std::string text;
  if (!folder.ReadFile(kIdsFile, &text)) return ids;
  std::vector<IdsProblem> problems;
  for (auto& [ini_id, row] : ParseIdsCsv(text, &problems)) ids.emplace(ini_id, std::move(row.id));
  for (const IdsProblem& p : problems) {
    faults.push_back(std::string(kIdsFile) + ", line " + std::to_string(p.line) + ": " + p.problem);
  }
  return ids;
}

void WriteAligned(const std::vector<Row>& rows, std::ostream& out) {
  std::array<std::size_t, kNumberColumns> width{};
  for (int k = 0; k < kNumberColumns; ++k) width[k] = std::string_view(kColumnNames[k]).size();
  for (const Row& row : rows) {
    for (int k = 0; k < kNumberColumns; ++k) {
      width[k] = std::max(width[k], std::to_string(row.cells[k].value).size());
    }
  }
  auto write_line = [&](const std::array<std::string, kNumberColumns>& texts,
                        const std::string& id) {
    std::string line;
    for (int k = 0; k < kNumberColumns; ++k) {
      if (k > 0) line += "  ";
      line.append(width[k] - texts[k].size(), ' ');
      line += texts[k];
    }
    if (!id.empty()) line += "  " + id;
    out << line << '\n';
  };
  std::array<std::string, kNumberColumns> texts;
  for (int k = 0; k < kNumberColumns; ++k) texts[k] = kColumnNames[k];
  write_line(texts, kIdColumn);
  for (const Row& row : rows) {
    for (int k = 0; k < kNumberColumns; ++k) texts[k] = std::to_string(row.cells[k].value);
    write_line(texts, EscapeControlBytes(row.id));
  }
}

void WriteCsv(const std::vector<Row>& rows, std::ostream& out) {
  std::vector<std::string> fields(kColumnNames.begin(), kColumnNames.end());
  fields.push_back(kIdColumn);
  out << CsvLine(fields);
  for (const Row& row : rows) {
    for (int k = 0; k < kNumberColumns; ++k) fields[k] = std::to_string(row.cells[k].value);
    fields[kNumberColumns] = row.id;
    out << CsvLine(fields);
  }
}

}  // namespace

int RunShow(FileSystem& folder, bool csv, std::ostream& out, std::ostream& err) {
  std::array<BinaryFile, 3> files;
  std::string table;
  std::string name1;
  try {
    name1 = ReadName1(folder);
    files[0].name = kPedigreeBinaryFile;
    files[1].name = kIdentifierFile;
    files[2].name = TrimFileName(name1);
    for (BinaryFile& file : files) file.bytes = ReadWhole(folder, file.name);
    table = ReadWhole(folder, kPedigreeTableFile);
  } catch (const InputError& e) {
    err << e.Report() << '\n';
    return kExitInputError;
  }

  Faults faults;
  std::vector<Row> rows;
  if (ReadBinaryRows(files, &rows, faults)) {
    CheckPedigreeTable(table, name1, files[0].nd, rows, faults);
  }
  const std::map<int32_t, std::string> ids = ReadIds(folder, faults);
  if (!faults.empty()) {
    for (const std::string& fault : faults) err << EscapeControlBytes(fault) << '\n';
    return kExitStopped;
  }
  for (Row& row : rows) {
    const auto found = ids.find(row.cells[kIniId].value);
    if (found != ids.end()) row.id = found->second;
  }
  if (csv) {
    WriteCsv(rows, out);
  } else {
    WriteAligned(rows, out);
  }
  return kExitSuccess;
}

}  // namespace pedprep
