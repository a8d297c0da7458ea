#include "import/herdbook.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "records/csv.h"

namespace pedprep {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
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
  const std::string lower = Lower(text);
  if (lower.empty())
    *sex = Sex::kUnknown;
  else if (lower == "m" || lower == "male" || lower == "1")
    *sex = Sex::kMale;
  else if (lower == "f" || lower == "female" || lower == "2")
    *sex = Sex::kFemale;
  else
    return false;
  return true;
}

}  // namespace

std::string FormatProblem(const ImportProblem& problem) {
  if (problem.line == 0) return problem.file + ": " + problem.message;
  return problem.file + ":" + std::to_string(problem.line) + ": " + problem.message;
}

bool HerdbookRow::operator==(const HerdbookRow& other) const {
  return id == other.id && sire == other.sire && dam == other.dam && sex == other.sex &&
         breed == other.breed && nation == other.nation && has_markers == other.has_markers &&
         markers == other.markers;
}

Herdbook ReadHerdbook(std::string_view text, const std::string& name, const HerdbookFormat& format,
                      std::vector<ImportProblem>* problems) {
  std::vector<std::string> missing = {"", "0", "na", "*", "."};
  for (const std::string& code : format.missing) missing.push_back(Lower(Trim(code)));
  std::array<bool, 256> may_be_missing{};  // first bytes of the missing codes, lower case
  for (const std::string& code : missing) {
    may_be_missing[static_cast<unsigned char>(code.empty() ? '\0' : code[0])] = true;
  }
  auto is_missing = [&](std::string_view field) {
    const char first = field.empty() ? '\0' : field[0];
    const char lower = first >= 'A' && first <= 'Z' ? static_cast<char>(first - 'A' + 'a') : first;
    if (!may_be_missing[static_cast<unsigned char>(lower)]) return false;
    return std::find(missing.begin(), missing.end(), Lower(field)) != missing.end();
  };

  enum { kId, kSire, kDam, kSex, kBreed, kNation };
  std::vector<Column> columns = {
      {"id", {"id", "animal", "individual", "indiv"}, true},
      {"sire", {"sire", "father", "fatherid", "father_id"}, true},
      {"dam", {"dam", "mother", "motherid", "mother_id"}, true},
      {"sex", {"sex"}, false},
      {"breed", {"breed"}, false},
      {"nation", {"nation"}, false},
  };
  for (const std::string& marker : format.markers) {
    columns.push_back({"marker", {Lower(Trim(marker))}, true});
  }

  Herdbook book;
  const char delimiter = format.delimiter != 0 ? format.delimiter : DetectDelimiter(text);
  bool header_done = false;
  bool usable = true;
  ParseCsv(text, delimiter, name, [&](const CsvRow& row) {
    if (!header_done) {
      header_done = true;
      for (std::size_t i = 0; i < row.fields.size(); ++i) {
        const std::string header = Lower(Trim(row.fields[i]));
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
        usable = false;
        std::string message;
        if (c < 3) {
          message = "required column " + Quoted(column.names[0]) + " (or " +
                    Quoted(column.names[1]) + ") missing";
        } else {
          message = "marker column " + Quoted(format.markers[c - 6]) + " missing";
        }
        problems->push_back({name, row.line, message});
      }
      book.has_breed = columns[kBreed].index >= 0;
      book.usable = usable;
      return;
    }
    ++book.rows_read;
    if (!usable) return;
    auto field = [&](int c) -> std::string_view {
      const int index = columns[c].index;
      if (index < 0 || static_cast<std::size_t>(index) >= row.fields.size()) return {};
      std::string_view value = Trim(row.fields[index]);
      return is_missing(value) ? std::string_view() : value;
    };
    HerdbookRow out;
    out.line = row.line;
    const std::string_view raw_id = static_cast<std::size_t>(columns[kId].index) < row.fields.size()
                                        ? Trim(row.fields[columns[kId].index])
                                        : std::string_view();
    if (raw_id.empty()) {
      problems->push_back({name, row.line, "empty id"});
      return;
    }
    out.id = raw_id;
    out.sire = field(kSire);
    out.dam = field(kDam);
    bool good = true;
    auto bad = [&](const std::string& what, std::string_view value, const char* expected) {
      problems->push_back(
          {name, row.line,
           what + " " + Quoted(value) + " of animal " + out.id + " is not " + expected});
      good = false;
    };
    const std::string_view sex = field(kSex);
    if (!ParseSex(sex, &out.sex)) bad("sex", sex, "M, F, male, female, 1 or 2");
    out.breed = field(kBreed);
    const std::string_view nation = field(kNation);
    if (!nation.empty() && !SmallInteger(nation, &out.nation)) {
      bad("nation", nation, "an integer in -127..127");
    }
    for (std::size_t m = 0; m < format.markers.size() && m < kMaxMarkerColumns; ++m) {
      const std::string_view value = field(static_cast<int>(6 + m));
      if (value.empty()) continue;
      if (SmallInteger(value, &out.markers[m])) {
        out.has_markers = true;
      } else {
        bad("marker " + format.markers[m] + " value", value, "an integer in -127..127");
      }
    }
    if (good) book.rows.push_back(std::move(out));
  });
  if (!header_done) problems->push_back({name, 1, "no header row"});
  return book;
}

}  // namespace pedprep
