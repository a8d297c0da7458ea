#include "import/herdbook.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <limits>
#include <system_error>
#include <thread>

#include "import/field_values.h"
#include "import/header_columns.h"
#include "import/id_hash.h"
#include "import/plain_split.h"
#include "records/byte_order_mark.h"
#include "records/count_text.h"
#include "records/csv.h"
#include "records/escape.h"
#include "records/text_case.h"
#include "records/text_encoding.h"

namespace pedprep {
namespace {

// Text at least this long without quotes is split on two threads.
constexpr std::size_t kParallelBytes = std::size_t{4} << 20;
// Bytes of one block of Herdbook::storage (a longer field gets a block of its own).
constexpr std::size_t kStorageBlock = std::size_t{1} << 16;

// `text` equals `lower` (lower case) ignoring the case of `text`.
bool EqualsLower(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (AsciiLower(text[i]) != lower[i]) return false;
  }
  return true;
}

// Quoted text of a field for messages.
std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += CutForMessage(text);
  quoted += '"';
  return quoted;
}

bool ParseSex(std::string_view text, const HerdbookFormat& format, Sex* sex) {
  if (text.empty()) {
    *sex = Sex::kUnknown;
    return true;
  }
  for (const auto& [code, value] : format.sex_codes) {
    if (EqualsLower(text, code)) {
      *sex = value;
      return true;
    }
  }
  if (EqualsLower(text, "m") || EqualsLower(text, "male") || text == "1")
    *sex = Sex::kMale;
  else if (EqualsLower(text, "f") || EqualsLower(text, "female") || text == "2")
    *sex = Sex::kFemale;
  else
    return false;
  return true;
}

std::string SeparatorName(char delimiter) {
  if (delimiter == '\t') return "TAB";
  if (delimiter == kBlankSeparated) return "blanks";
  return std::string("'") + delimiter + "'";
}

uint32_t Low32(uint64_t value) { return static_cast<uint32_t>(value); }

enum { kId, kSire, kDam, kSex, kBreed, kNation, kBorn, kFirstMarker };

// What every part of a herd book is read with: the columns found in the header, the
// missing codes, the names for messages.
struct ReadSettings {
  const std::string* name = nullptr;
  int16_t file = 0;
  char delimiter = ',';
  const HerdbookFormat* format = nullptr;
  std::vector<SoughtColumn> columns;
  std::vector<std::string> missing;        // lower case
  std::array<bool, 256> may_be_missing{};  // first bytes of the missing codes, lower case
  std::size_t marker_count = 0;
  std::size_t header_fields = 0;  // of the header, without its empty trailing ones
  bool usable = true;
};

// Turns rows of fields into HerdbookRows, problems and marker values. The first row it gets
// (unless `header_done`) is the header. With `storage`, the kept texts are copied there
// (fields that do not outlive the call); otherwise they must outlive the Herdbook.
class RowReader {
 public:
  RowReader(ReadSettings* settings, HerdbookRows* out, Herdbook* storage, bool header_done)
      : settings_(settings),
        out_(out),
        storage_(storage),
        header_done_(header_done),
        zeros_(settings->marker_count, 0) {}

  bool header_done() const { return header_done_; }

  void operator()(long line, const std::vector<std::string_view>& fields) {
    if (!header_done_) {
      Header(line, fields);
    } else {
      Data(line, fields);
    }
  }

  void Reserve(std::size_t rows) {
    if (!settings_->usable) return;
    out_->rows.reserve(rows);
    out_->markers.reserve(rows * settings_->marker_count);
  }

  void MoveInto(Herdbook* book, std::vector<ImportProblem>* problems) {
    book->rows_read += rows_read_;
    book->marker_zeros.resize(zeros_.size());
    for (std::size_t m = 0; m < zeros_.size(); ++m) book->marker_zeros[m] += zeros_[m];
    zeros_.assign(zeros_.size(), 0);
    problems->insert(problems->end(), std::make_move_iterator(problems_.begin()),
                     std::make_move_iterator(problems_.end()));
    problems_.clear();
    rows_read_ = 0;
  }

 private:
  bool IsMissing(std::string_view field) const {
    const char first = field.empty() ? '\0' : AsciiLower(field[0]);
    if (!settings_->may_be_missing[static_cast<unsigned char>(first)]) return false;
    for (const std::string& code : settings_->missing) {
      if (EqualsLower(field, code)) return true;
    }
    return false;
  }

  void Header(long line, const std::vector<std::string_view>& fields) {
    header_done_ = true;
    std::vector<SoughtColumn>& columns = settings_->columns;
    const std::size_t count = fields.size();
    settings_->header_fields = count;
    while (settings_->header_fields > 0 &&
           TrimBlanks(fields[settings_->header_fields - 1]).empty()) {
      --settings_->header_fields;
    }
    FindColumns(fields, &columns);
    std::string read_as = "; header read as";
    for (std::size_t i = 0; i < std::min<std::size_t>(count, 10); ++i) {
      read_as += (i == 0 ? " " : ", ") + Quoted(fields[i]);
    }
    if (count > 10) read_as += ", ... (" + std::to_string(count) + " fields)";
    read_as += " with separator " + SeparatorName(settings_->delimiter);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const SoughtColumn& column = columns[c];
      if (column.index >= 0 || (!column.required && column.given.empty())) continue;
      settings_->usable = false;
      std::string message;
      if (!column.given.empty()) {
        message = "column " + Quoted(column.given) + " (" + kColumnOptions[c] + ") not found";
      } else if (c < kSex) {
        message = "required column";
        for (std::size_t n = 0; n < column.names.size(); ++n) {
          message += (n == 0 ? " " : n == 1 ? " (or " : ", ") + Quoted(column.names[n]);
        }
        message += std::string(") missing (name it with ") + kColumnOptions[c] + ")";
      } else {
        message =
            "marker column " + Quoted(settings_->format->markers[c - kFirstMarker]) + " missing";
      }
      problems_.push_back(
          {*settings_->name, line, message + read_as, "", "", ProblemKind::kMissingColumn});
    }
  }

  // `text` (after `prefix`) where it outlives the Herdbook.
  std::string_view Kept(std::string_view text, std::string_view prefix = {}) {
    if (storage_ == nullptr || text.empty()) return text;
    const std::size_t length = prefix.size() + text.size();
    if (length > free_) {
      const std::size_t size = std::max(kStorageBlock, length);
      storage_->storage.push_back(std::make_unique<char[]>(size));
      next_ = storage_->storage.back().get();
      free_ = size;
    }
    if (!prefix.empty()) std::memcpy(next_, prefix.data(), prefix.size());
    std::memcpy(next_ + prefix.size(), text.data(), text.size());
    const std::string_view kept(next_, length);
    next_ += length;
    free_ -= length;
    return kept;
  }

  // Whether a row of another field count than the header's is read: more fields that are
  // all empty are; otherwise it is a problem.
  bool FieldsFit(const std::vector<std::string_view>& fields) {
    const std::size_t header = settings_->header_fields;
    if (fields.size() > header &&
        std::all_of(fields.begin() + static_cast<std::ptrdiff_t>(header), fields.end(),
                    [](std::string_view field) { return TrimBlanks(field).empty(); })) {
      return true;
    }
    std::size_t count = fields.size();
    while (count > header && TrimBlanks(fields[count - 1]).empty()) --count;
    Problem(fields.size() < header ? fields.size() : count, header);
    return false;
  }
  void Problem(std::size_t count, std::size_t header) {
    problems_.push_back({*settings_->name, line_,
                         Counted(static_cast<long>(count), "field", "fields") +
                             " where the header has " + CountText(static_cast<long>(header)),
                         "", "", ProblemKind::kFieldCount});
  }

  // Marker m's value as read, recoded, "" when missing; a "0" read as missing is counted.
  std::string_view MarkerValue(const std::vector<std::string_view>& fields, std::size_t m) {
    const int index = settings_->columns[kFirstMarker + m].index;
    if (index < 0 || static_cast<std::size_t>(index) >= fields.size()) return {};
    std::string_view value = TrimBlanks(fields[index]);
    for (const HerdbookFormat::Recode& recode : settings_->format->recodes) {
      if (recode.marker == m && value == recode.from) {
        value = recode.to;
        break;
      }
    }
    if (!IsMissing(value)) return value;
    if (value == "0") ++zeros_[m];
    return {};
  }

  void Problem(long line, std::string_view id, std::string message, std::string group,
               ProblemKind kind) {
    problems_.push_back(
        {*settings_->name, line, std::move(message), std::string(id), std::move(group), kind});
  }

  void Data(long line, const std::vector<std::string_view>& fields) {
    ++rows_read_;
    line_ = line;
    const ReadSettings& settings = *settings_;
    if (!settings.usable) return;
    if (fields.size() != settings.header_fields && !FieldsFit(fields)) return;
    auto given = [&](int c) -> std::string_view {
      const int index = settings.columns[c].index;
      if (index < 0 || static_cast<std::size_t>(index) >= fields.size()) return {};
      return TrimBlanks(fields[index]);
    };
    auto field = [&](int c) -> std::string_view {
      const std::string_view value = given(c);
      return IsMissing(value) ? std::string_view() : value;
    };
    HerdbookRow out;
    out.line = line;
    out.file = settings.file;
    const std::size_t id_index = static_cast<std::size_t>(settings.columns[kId].index);
    out.id = id_index < fields.size() ? TrimBlanks(fields[id_index]) : std::string_view();
    if (out.id.empty()) {
      Problem(line, "", "empty id", "", ProblemKind::kEmptyId);
      return;
    }
    if (IsMissing(out.id)) {
      Problem(line, out.id,
              "id " + Quoted(out.id) + " is a code for an unknown animal (see --missing)", "",
              ProblemKind::kIdIsMissingCode);
      return;
    }
    out.sire = field(kSire);
    out.dam = field(kDam);
    if (!settings.format->parents_as_named) {
      out.sire_word = !out.sire.empty() && ReadsLikeMissingCode(out.sire);
      out.dam_word = !out.dam.empty() && ReadsLikeMissingCode(out.dam);
    }
    auto bad = [&](const std::string& what, std::string_view value, const std::string& expected,
                   ProblemKind kind) {
      Problem(line, out.id,
              what + " value " + Quoted(value) + " of animal " + CutForMessage(out.id) +
                  " is not " + expected,
              what, kind);
      out.faulty = true;
    };
    // A code given with --sex-codes wins over the codes of unknown values (0 = F).
    const bool sex_code =
        std::any_of(settings.format->sex_codes.begin(), settings.format->sex_codes.end(),
                    [&](const auto& code) {
                      return !given(kSex).empty() && EqualsLower(given(kSex), code.first);
                    });
    const std::string_view sex = sex_code ? given(kSex) : field(kSex);
    if (!ParseSex(sex, *settings.format, &out.sex)) {
      bad("sex", sex, "M, F, male, female, 1 or 2 (or a code given with --sex-codes)",
          ProblemKind::kUnknownSex);
    }
    out.breed = field(kBreed);
    if (const std::string_view born = field(kBorn); !born.empty()) {
      bool impossible = false;
      out.born = static_cast<int16_t>(YearOf(born, &impossible));
      if (impossible) {
        bad("born", born, "a date (no such day)", ProblemKind::kNotDate);
      } else if (out.born == 0) {
        bad("born", born, "a year or a date with a year", ProblemKind::kNotYear);
      }
    }
    const std::string_view nation = field(kNation);
    int32_t number = 0;
    if (!nation.empty()) {
      const Parsed parsed = ParseInteger(nation, -127, 127, &number);
      if (parsed == Parsed::kGood) {
        out.nation = static_cast<int8_t>(number);
      } else {
        bad("nation", nation, "an integer in -127..127",
            parsed == Parsed::kNotInteger ? ProblemKind::kNotInteger : ProblemKind::kOutOfRange);
      }
    }
    std::array<int32_t, kMaxMarkerColumns> markers{};
    for (std::size_t m = 0; m < settings.marker_count; ++m) {
      const std::string_view value = MarkerValue(fields, m);
      if (value.empty()) continue;
      const bool selected = m == settings.format->selected_marker;
      const Parsed parsed = selected ? ParseInteger(value, -127, 127, &markers[m])
                                     : ParseInteger(value, -9999, 99999, &markers[m]);
      if (parsed == Parsed::kGood) {
        out.has_markers = true;
        continue;
      }
      markers[m] = 0;
      bad("marker " + Quoted(settings.format->markers[m]), value,
          selected ? "an integer in -127..127 (the marker the run takes)"
                   : "an integer in -9999..99999",
          parsed == Parsed::kNotInteger ? ProblemKind::kNotInteger : ProblemKind::kOutOfRange);
    }
    const std::string_view prefix = settings.format->id_prefix;
    out.id = Kept(out.id, prefix);
    out.sire = Kept(out.sire, prefix);
    out.dam = Kept(out.dam, prefix);
    out.breed = out.breed.empty() ? std::string_view(settings.format->book_breed) : Kept(out.breed);
    out.id_hash = Low32(IdHash(out.id));
    out.sire_hash = out.sire.empty() ? 0 : Low32(IdHash(out.sire));
    out.dam_hash = out.dam.empty() ? 0 : Low32(IdHash(out.dam));
    out_->rows.push_back(out);
    out_->markers.insert(out_->markers.end(), markers.begin(),
                         markers.begin() + settings.marker_count);
  }

  ReadSettings* settings_;
  HerdbookRows* out_;
  Herdbook* storage_;
  bool header_done_;
  char* next_ = nullptr;
  std::size_t free_ = 0;
  std::vector<ImportProblem> problems_;
  long rows_read_ = 0;
  long line_ = 0;            // of the row being read
  std::vector<long> zeros_;  // by marker
};

std::size_t LinesIn(std::string_view text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Reads text without quotes: the header line by line, then the rest; a long rest on two
// threads, cut after a line end near its middle, the second half into book->tail.
void ReadPlain(std::string_view text, char delimiter, RowReader* reader, ReadSettings* settings,
               Herdbook* book, std::vector<ImportProblem>* problems) {
  long line = 1;
  std::size_t offset = 0;
  while (!reader->header_done() && offset < text.size()) {
    std::size_t stop = text.find('\n', offset);
    stop = stop == std::string_view::npos ? text.size() : stop + 1;
    line = SplitPlainCsv(text.substr(offset, stop - offset), delimiter, line, *reader);
    offset = stop;
  }
  const std::string_view rest = text.substr(offset);
  const std::size_t cut =
      rest.size() >= kParallelBytes && settings->usable && settings->format->id_prefix.empty()
          ? rest.find('\n', rest.size() / 2)
          : std::string_view::npos;
  if (cut == std::string_view::npos) {
    reader->Reserve(LinesIn(rest) + 1);
    SplitPlainCsv(rest, delimiter, line, *reader);
    reader->MoveInto(book, problems);
    return;
  }
  const std::string_view first = rest.substr(0, cut + 1);
  const std::string_view second = rest.substr(cut + 1);
  RowReader later(settings, &book->tail, nullptr, true);
  std::exception_ptr failure;
  auto read_second = [&later, &failure, first, second, delimiter, line] {
    try {
      later.Reserve(LinesIn(second) + 1);
      SplitPlainCsv(second, delimiter, line + static_cast<long>(LinesIn(first)), later);
    } catch (...) {
      failure = std::current_exception();
    }
  };
  // Joined also when this thread's half throws (memory exhausted): a thread left running
  // would end the program at once.
  std::jthread thread;
  try {
    thread = std::jthread(read_second);
  } catch (const std::system_error&) {
    read_second();
  }
  reader->Reserve(LinesIn(first));
  SplitPlainCsv(first, delimiter, line, *reader);
  if (thread.joinable()) thread.join();
  if (failure) std::rethrow_exception(failure);
  reader->MoveInto(book, problems);
  later.MoveInto(book, problems);
}

}  // namespace

bool ReadsLikeMissingCode(std::string_view value) {
  if (value.empty()) return false;
  const char first = AsciiLower(value.front());
  if (first == '0' || first == '?' || first == '.' || first == '*') {
    return std::all_of(value.begin(), value.end(), [first](char c) { return c == first; });
  }
  if (first == '-') {
    return std::all_of(value.begin(), value.end(), [](char c) { return c == '-'; }) ||
           std::all_of(value.begin() + 1, value.end(), [](char c) { return c >= '0' && c <= '9'; });
  }
  if (value.size() > 12 || first < 'a' || first > 'z')
    return first == '#' && EqualsLower(value, "#n/a");
  static constexpr std::array<std::string_view, 22> kWords = {
      "unknown",     "unk",         "unkn",        "unbek",     "na",      "n/a",
      "n.a.",        "n.a",         "nan",         "none",      "null",    "nil",
      "missing",     "nn",          "n.n.",        "unbekannt", "inconnu", "inconnue",
      "desconocido", "desconocida", "sconosciuto", "onbekend"};
  return std::any_of(kWords.begin(), kWords.end(),
                     [value](std::string_view word) { return EqualsLower(value, word); });
}

std::string MakeHerdbookText(std::string* bytes, TextEncoding encoding, long* fallback_line) {
  std::string& text = *bytes;
  // A workbook (a zip package or an older compound file) is told so before any encoding.
  if (text.rfind("PK\x03\x04", 0) == 0 || text.rfind("\xD0\xCF\x11\xE0", 0) == 0) {
    return "a spreadsheet workbook, not text; save the sheet as CSV or tab-separated text";
  }
  if (std::string why = ConvertToUtf8(bytes, encoding, fallback_line); !why.empty()) return why;
  const std::size_t head = std::min<std::size_t>(text.size(), 1024);
  const auto zero = std::find(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(head), '\0');
  if (zero != text.begin() + static_cast<std::ptrdiff_t>(head)) {
    return "binary file (a zero byte at offset " + std::to_string(zero - text.begin()) +
           "); export the table as delimited text";
  }
  // CR not followed by LF: a line end of its own.
  for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at + 1)) {
    if (at + 1 == text.size() || text[at + 1] != '\n') text[at] = '\n';
  }
  return "";
}

char DetectHerdbookDelimiter(std::string_view text) {
  text = WithoutByteOrderMark(text);
  std::array<long, 4> counts{};
  constexpr std::array<char, 4> kCandidates = {'\t', ';', ',', '|'};
  bool quoted = false;
  bool blank_between_words = false;
  bool word_seen = false;
  bool blank_seen = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n' || c == '\r') break;
    for (std::size_t k = 0; k < kCandidates.size(); ++k) counts[k] += c == kCandidates[k];
    if (c == ' ') {
      blank_seen = word_seen;
    } else {
      if (blank_seen) blank_between_words = true;
      word_seen = true;
      blank_seen = false;
    }
  }
  std::size_t best = 0;
  for (std::size_t k = 1; k < counts.size(); ++k) {
    if (counts[k] > counts[best]) best = k;
  }
  if (counts[best] > 0) return kCandidates[best];
  return blank_between_words ? kBlankSeparated : ',';
}

bool Herdbook::SameData(std::size_t a, std::size_t b) const {
  const HerdbookRow& x = Row(a);
  const HerdbookRow& y = Row(b);
  return x.id == y.id && x.sire == y.sire && x.dam == y.dam && x.sex == y.sex &&
         x.breed == y.breed && x.nation == y.nation && x.born == y.born &&
         x.has_markers == y.has_markers &&
         std::equal(Markers(a), Markers(a) + marker_count, Markers(b));
}

void Herdbook::Append(Herdbook&& other) {
  for (HerdbookRows* from : {&tail, &other.head, &other.tail}) {
    head.rows.insert(head.rows.end(), from->rows.begin(), from->rows.end());
    head.markers.insert(head.markers.end(), from->markers.begin(), from->markers.end());
  }
  tail = HerdbookRows();
  rows_read += other.rows_read;
  has_breed = has_breed || other.has_breed;
  has_born = has_born || other.has_born;
  marker_zeros.resize(std::max(marker_zeros.size(), other.marker_zeros.size()));
  for (std::size_t m = 0; m < other.marker_zeros.size(); ++m) {
    marker_zeros[m] += other.marker_zeros[m];
  }
  usable = usable && other.usable;
  files.insert(files.end(), other.files.begin(), other.files.end());
  for (auto& block : other.storage) storage.push_back(std::move(block));
}

Herdbook ReadHerdbook(std::string_view text, const std::string& name, const HerdbookFormat& format,
                      std::vector<ImportProblem>* problems, int file_index) {
  ReadSettings settings;
  settings.name = &name;
  settings.file = static_cast<int16_t>(file_index);
  settings.format = &format;
  settings.missing = {"", "0", "na", "*", "."};
  for (const std::string& code : format.missing)
    settings.missing.push_back(AsciiLower(TrimBlanks(code)));
  for (const std::string& code : settings.missing) {
    settings.may_be_missing[static_cast<unsigned char>(code.empty() ? '\0' : code[0])] = true;
  }
  for (int c = 0; c < kNamedColumns; ++c) {
    SoughtColumn column{KnownColumnNames(static_cast<HerdbookColumn>(c)), c < kSex,
                        std::string(TrimBlanks(format.columns[c]))};
    if (!column.given.empty()) column.names = {HeaderKey(column.given)};
    settings.columns.push_back(std::move(column));
  }
  for (const std::string& marker : format.markers) {
    settings.columns.push_back({{HeaderKey(marker)}, true, ""});
  }
  settings.marker_count = std::min(format.markers.size(), kMaxMarkerColumns);

  Herdbook book;
  book.files = {name};
  book.marker_count = settings.marker_count;
  const char delimiter = format.delimiter != 0 ? format.delimiter : DetectHerdbookDelimiter(text);
  settings.delimiter = delimiter;
  text = WithoutByteOrderMark(text);
  const bool blanks = delimiter == kBlankSeparated;
  const bool plain =
      !blanks && delimiter != '\r' && delimiter != '\n' && delimiter != '"' && IsPlainCsv(text);
  const bool copy = !format.id_prefix.empty() || !(plain || blanks);
  RowReader reader(&settings, &book.head, copy ? &book : nullptr, false);
  if (blanks) {
    reader.Reserve(LinesIn(text) + 1);
    SplitBlankSeparated(text, 1, reader);
    reader.MoveInto(&book, problems);
  } else if (plain) {
    ReadPlain(text, delimiter, &reader, &settings, &book, problems);
  } else {
    std::vector<std::string_view> fields;
    try {
      ParseCsv(text, delimiter, name, [&reader, &fields](const CsvRow& row) {
        fields.assign(row.fields.begin(), row.fields.end());
        reader(row.line, fields);
      });
    } catch (...) {
      reader.MoveInto(&book, problems);  // the problems of the rows before the fault
      throw;
    }
    reader.MoveInto(&book, problems);
  }
  book.has_breed = settings.columns[kBreed].index >= 0;
  book.has_born = settings.columns[kBorn].index >= 0;
  book.usable = settings.usable && reader.header_done();
  if (!reader.header_done()) {
    problems->push_back({name, 1, "no header row", "", "", ProblemKind::kNoHeader});
  }
  return book;
}

}  // namespace pedprep
