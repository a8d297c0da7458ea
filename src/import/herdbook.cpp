#include "import/herdbook.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <exception>
#include <limits>
#include <system_error>
#include <thread>

#include "import/id_hash.h"
#include "import/plain_split.h"
#include "records/csv.h"

namespace pedprep {
namespace {

// Text at least this long without quotes is split on two threads.
constexpr std::size_t kParallelBytes = std::size_t{4} << 20;
// Bytes of one block of Herdbook::storage (a longer field gets a block of its own).
constexpr std::size_t kStorageBlock = std::size_t{1} << 16;

char LowerByte(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerByte(c);
  return out;
}

// `text` equals `lower` (lower case) ignoring the case of `text`.
bool EqualsLower(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (LowerByte(text[i]) != lower[i]) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Quoted text of a field for messages.
std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

struct Column {
  const char* role;
  std::vector<std::string> names;
  bool required;
  int index = -1;
};

bool SmallInteger(std::string_view text, int8_t* value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || number < -127 ||
      number > 127) {
    return false;
  }
  *value = static_cast<int8_t>(number);
  return true;
}

bool ParseSex(std::string_view text, Sex* sex) {
  if (text.empty())
    *sex = Sex::kUnknown;
  else if (EqualsLower(text, "m") || EqualsLower(text, "male") || text == "1")
    *sex = Sex::kMale;
  else if (EqualsLower(text, "f") || EqualsLower(text, "female") || text == "2")
    *sex = Sex::kFemale;
  else
    return false;
  return true;
}

uint32_t Low32(uint64_t value) { return static_cast<uint32_t>(value); }

enum { kId, kSire, kDam, kSex, kBreed, kNation, kFirstMarker };

// What every part of a herd book is read with: the columns found in the header, the
// missing codes, the names for messages.
struct ReadSettings {
  const std::string* name = nullptr;
  const HerdbookFormat* format = nullptr;
  std::vector<Column> columns;
  std::vector<std::string> missing;        // lower case
  std::array<bool, 256> may_be_missing{};  // first bytes of the missing codes, lower case
  std::size_t marker_count = 0;
  bool usable = true;
};

// Turns rows of fields into HerdbookRows, problems and marker values. The first row it gets
// (unless `header_done`) is the header. With `storage`, the kept texts are copied there
// (fields that do not outlive the call); otherwise they must outlive the Herdbook.
class RowReader {
 public:
  RowReader(ReadSettings* settings, HerdbookRows* out, Herdbook* storage, bool header_done)
      : settings_(settings), out_(out), storage_(storage), header_done_(header_done) {}

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

  // Writes the rows into `out` from now on.
  void WriteTo(HerdbookRows* out) { out_ = out; }

  void MoveInto(Herdbook* book, std::vector<ImportProblem>* problems) {
    book->rows_read += rows_read_;
    problems->insert(problems->end(), std::make_move_iterator(problems_.begin()),
                     std::make_move_iterator(problems_.end()));
    problems_.clear();
    rows_read_ = 0;
  }

 private:
  bool IsMissing(std::string_view field) const {
    const char first = field.empty() ? '\0' : LowerByte(field[0]);
    if (!settings_->may_be_missing[static_cast<unsigned char>(first)]) return false;
    for (const std::string& code : settings_->missing) {
      if (EqualsLower(field, code)) return true;
    }
    return false;
  }

  void Header(long line, const std::vector<std::string_view>& fields) {
    header_done_ = true;
    std::vector<Column>& columns = settings_->columns;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const std::string header = Lower(Trim(fields[i]));
      for (Column& column : columns) {
        if (column.index < 0 &&
            std::find(column.names.begin(), column.names.end(), header) != column.names.end()) {
          column.index = static_cast<int>(i);
          break;
        }
      }
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const Column& column = columns[c];
      if (column.index >= 0 || !column.required) continue;
      settings_->usable = false;
      std::string message;
      if (c < kSex) {
        message = "required column " + Quoted(column.names[0]) + " (or " + Quoted(column.names[1]) +
                  ") missing";
      } else {
        message =
            "marker column " + Quoted(settings_->format->markers[c - kFirstMarker]) + " missing";
      }
      problems_.push_back({*settings_->name, line, message});
    }
  }

  std::string_view Kept(std::string_view text) {
    if (storage_ == nullptr || text.empty()) return text;
    if (text.size() > free_) {
      const std::size_t size = std::max(kStorageBlock, text.size());
      storage_->storage.push_back(std::make_unique<char[]>(size));
      next_ = storage_->storage.back().get();
      free_ = size;
    }
    std::memcpy(next_, text.data(), text.size());
    const std::string_view kept(next_, text.size());
    next_ += text.size();
    free_ -= text.size();
    return kept;
  }

  void Data(long line, const std::vector<std::string_view>& fields) {
    ++rows_read_;
    const ReadSettings& settings = *settings_;
    if (!settings.usable) return;
    auto field = [&](int c) -> std::string_view {
      const int index = settings.columns[c].index;
      if (index < 0 || static_cast<std::size_t>(index) >= fields.size()) return {};
      const std::string_view value = Trim(fields[index]);
      return IsMissing(value) ? std::string_view() : value;
    };
    HerdbookRow out;
    out.line = line;
    const std::size_t id_index = static_cast<std::size_t>(settings.columns[kId].index);
    out.id = id_index < fields.size() ? Trim(fields[id_index]) : std::string_view();
    if (out.id.empty()) {
      problems_.push_back({*settings.name, line, "empty id"});
      return;
    }
    out.sire = field(kSire);
    out.dam = field(kDam);
    bool good = true;
    auto bad = [&](const std::string& what, std::string_view value, const char* expected) {
      problems_.push_back({*settings.name, line,
                           what + " " + Quoted(value) + " of animal " + std::string(out.id) +
                               " is not " + expected});
      good = false;
    };
    const std::string_view sex = field(kSex);
    if (!ParseSex(sex, &out.sex)) bad("sex", sex, "M, F, male, female, 1 or 2");
    out.breed = field(kBreed);
    const std::string_view nation = field(kNation);
    if (!nation.empty() && !SmallInteger(nation, &out.nation)) {
      bad("nation", nation, "an integer in -127..127");
    }
    std::array<int8_t, kMaxMarkerColumns> markers{};
    for (std::size_t m = 0; m < settings.marker_count; ++m) {
      const std::string_view value = field(static_cast<int>(kFirstMarker + m));
      if (value.empty()) continue;
      if (SmallInteger(value, &markers[m])) {
        out.has_markers = true;
      } else {
        bad("marker " + settings.format->markers[m] + " value", value, "an integer in -127..127");
      }
    }
    if (!good) return;
    out.id = Kept(out.id);
    out.sire = Kept(out.sire);
    out.dam = Kept(out.dam);
    out.breed = Kept(out.breed);
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
  const std::size_t cut = rest.size() >= kParallelBytes && settings->usable
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

std::string FormatProblem(const ImportProblem& problem) {
  if (problem.line == 0) return problem.file + ": " + problem.message;
  return problem.file + ":" + std::to_string(problem.line) + ": " + problem.message;
}

bool Herdbook::SameData(std::size_t a, std::size_t b) const {
  const HerdbookRow& x = Row(a);
  const HerdbookRow& y = Row(b);
  return x.id == y.id && x.sire == y.sire && x.dam == y.dam && x.sex == y.sex &&
         x.breed == y.breed && x.nation == y.nation && x.has_markers == y.has_markers &&
         std::equal(Markers(a), Markers(a) + marker_count, Markers(b));
}

Herdbook ReadHerdbook(std::string_view text, const std::string& name, const HerdbookFormat& format,
                      std::vector<ImportProblem>* problems) {
  ReadSettings settings;
  settings.name = &name;
  settings.format = &format;
  settings.missing = {"", "0", "na", "*", "."};
  for (const std::string& code : format.missing) settings.missing.push_back(Lower(Trim(code)));
  for (const std::string& code : settings.missing) {
    settings.may_be_missing[static_cast<unsigned char>(code.empty() ? '\0' : code[0])] = true;
  }
  settings.columns = {
      {"id", {"id", "animal", "individual", "indiv"}, true},
      {"sire", {"sire", "father", "fatherid", "father_id"}, true},
      {"dam", {"dam", "mother", "motherid", "mother_id"}, true},
      {"sex", {"sex"}, false},
      {"breed", {"breed"}, false},
      {"nation", {"nation"}, false},
  };
  for (const std::string& marker : format.markers) {
    settings.columns.push_back({"marker", {Lower(Trim(marker))}, true});
  }
  settings.marker_count = std::min(format.markers.size(), kMaxMarkerColumns);

  Herdbook book;
  book.marker_count = settings.marker_count;
  const char delimiter = format.delimiter != 0 ? format.delimiter : DetectDelimiter(text);
  text = WithoutByteOrderMark(text);
  const bool plain = delimiter != '\r' && delimiter != '\n' && IsPlainCsv(text);
  RowReader reader(&settings, &book.head, plain ? nullptr : &book, false);
  if (plain) {
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
  book.usable = settings.usable && reader.header_done();
  if (!reader.header_done()) problems->push_back({name, 1, "no header row"});
  return book;
}

}  // namespace pedprep
