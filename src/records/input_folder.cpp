#include "records/input_folder.h"

#include <algorithm>
#include <charconv>
#include <tuple>

#include "records/byte_order_mark.h"
#include "records/csv.h"
#include "records/escape.h"
#include "records/input_error.h"
#include "records/layout.h"
#include "records/text_reader.h"
#include "records/values.h"

namespace pedprep {
namespace {

constexpr const char* kLegendStart = "breeds:";
constexpr const char* kFieldsLine = "fields: family individual father mother breed sex ini_id";
constexpr const char* kIdsLine = "ids.csv maps ini_id to the herd book ids";
// Lines the legend may use: all but the title.
constexpr std::size_t kLegendLines = kPassportTextLines - 1;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') c = ' ';
  }
  return text;
}

// "K=NAME", NAME quoted when it is empty or holds a blank or a quote.
std::string LegendEntry(std::size_t code, const std::string& name) {
  const std::string printable = Printable(name);
  std::string entry = std::to_string(code) + "=";
  if (!printable.empty() && printable.find_first_of(" \"") == std::string::npos) {
    return entry + printable;
  }
  entry += '"';
  for (const char c : printable) entry += c == '"' ? std::string("\"\"") : std::string(1, c);
  return entry + '"';
}

// The legend's lines: entries joined by blanks, a new line where the next would pass the width.
// An entry wider than a line is on a line of its own (BreedLegendProblem refuses it).
std::vector<std::string> LegendLines(const std::vector<std::string>& breeds) {
  std::vector<std::string> lines = {kLegendStart};
  for (std::size_t k = 0; k < breeds.size(); ++k) {
    if (breeds[k].empty()) continue;
    const std::string entry = LegendEntry(k + 1, breeds[k]);
    if (lines.back().size() + 1 + entry.size() <= kPassportTextWidth) {
      lines.back() += ' ' + entry;
    } else {
      lines.push_back(entry);
    }
  }
  return lines;
}

// One word of a legend line from `at` (after blanks): a CODE=NAME entry, with NAME quoted or
// up to the next blank. Returns false, leaving `at`, when the word is no entry.
bool NextEntry(std::string_view line, std::size_t* at, int32_t* code, std::string* name) {
  std::size_t i = *at;
  int32_t value = 0;
  std::size_t digits = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9' && digits < 5) {
    value = value * 10 + (line[i] - '0');
    ++i;
    ++digits;
  }
  if (digits == 0 || digits > 4 || i >= line.size() || line[i] != '=') return false;
  ++i;
  std::string text;
  if (i < line.size() && line[i] == '"') {
    for (++i;; ++i) {
      if (i >= line.size()) return false;  // a quote never closed
      if (line[i] == '"') {
        if (i + 1 < line.size() && line[i + 1] == '"') {
          text += '"';
          ++i;
          continue;
        }
        ++i;
        break;
      }
      text += line[i];
    }
    if (i < line.size() && !IsBlank(line[i])) return false;
  } else {
    const std::size_t end = std::min(line.find_first_of(" \t", i), line.size());
    text = std::string(line.substr(i, end - i));
    if (text.empty()) return false;
    i = end;
  }
  *at = i;
  *code = value;
  *name = std::move(text);
  return true;
}

std::size_t SkipBlanks(std::string_view line, std::size_t at) {
  while (at < line.size() && IsBlank(line[at])) ++at;
  return at;
}

bool ParseIdsInt(const std::string& field, int32_t* value) {
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), *value);
  return !field.empty() && error == std::errc() && end == field.data() + field.size();
}

}  // namespace

std::vector<std::string> PassportTextLines(const PassportTexts& texts) {
  std::vector<std::string> lines = {"Imported from " + texts.source};
  for (std::string& line : LegendLines(texts.breeds)) lines.push_back(std::move(line));
  for (const char* note : {kFieldsLine, kIdsLine}) {
    if (lines.size() < static_cast<std::size_t>(kPassportTextLines)) lines.emplace_back(note);
  }
  lines.resize(kPassportTextLines);
  for (std::string& line : lines) {
    line = Printable(std::move(line));
    if (line.size() > kPassportTextWidth) line.resize(kPassportTextWidth);
  }
  return lines;
}

std::string BreedLegendProblem(const std::vector<std::string>& breeds) {
  for (std::size_t k = 0; k < breeds.size(); ++k) {
    const std::string entry = LegendEntry(k + 1, breeds[k]);
    if (!breeds[k].empty() && entry.size() > kPassportTextWidth) {
      return "the breed name \"" + EscapeControlBytes(breeds[k]) + "\" is too long for a line of " +
             "PEDIGREE.PRN's breed legend (at most " +
             std::to_string(kPassportTextWidth - (entry.size() - Printable(breeds[k]).size())) +
             " characters); shorten it with --rename-breed";
    }
  }
  const std::size_t lines = LegendLines(breeds).size();
  if (lines > kLegendLines) {
    return "the breed names need " + std::to_string(lines) + " lines of PEDIGREE.PRN's breed " +
           "legend, which has " + std::to_string(kLegendLines) +
           " lines of 80 characters; shorten them with --rename-breed";
  }
  return "";
}

std::vector<std::string> PassportTextLinesOf(std::string_view passport) {
  passport = WithoutByteOrderMark(passport);
  std::vector<std::string> lines;
  std::size_t at = passport.find('\n');  // after the header record
  while (at != std::string_view::npos &&
         lines.size() < static_cast<std::size_t>(kPassportTextLines)) {
    const std::size_t begin = at + 1;
    if (begin >= passport.size()) break;
    at = passport.find('\n', begin);
    std::string_view line =
        passport.substr(begin, (at == std::string_view::npos ? passport.size() : at) - begin);
    line = line.substr(0, std::min(line.find('\r'), line.size()));
    lines.emplace_back(line.substr(0, std::min(line.size(), kPassportTextWidth)));
  }
  return lines;
}

std::string PassportDataLine(std::string_view passport, int i) {
  std::size_t at = 0;
  for (int line = 1; line < 1 + kPassportTextLines + i && at != std::string_view::npos; ++line) {
    at = passport.find('\n', at);
    if (at != std::string_view::npos) ++at;
  }
  if (at == std::string_view::npos || at >= passport.size()) return "";
  std::string line(passport.substr(at, passport.find('\n', at) - at));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

int32_t PassportRecordsAfterData(FileSystem& folder, const std::string& name) {
  int32_t extra = 0;
  try {
    TextReader reader = TextReader::Open(folder, name);
    int32_t nd = 0;
    reader.Read(Layout::Parse("3I5"), {Into(nd)});
    const Layout line = Layout::Parse("A80");
    std::string text(kPassportTextWidth, ' ');
    for (int n = 0; n < kPassportTextLines + std::max(nd, 0); ++n) {
      reader.Read(line, {IntoText(text, kPassportTextWidth)});
    }
    for (;;) {
      reader.Read(line, {IntoText(text, kPassportTextWidth)});
      if (text.find_first_not_of(" \t") != std::string::npos) ++extra;
    }
  } catch (const InputError&) {
    // The end of the file, or a fault the run reports.
  }
  return extra;
}

std::map<int32_t, std::string> ReadBreedLegend(const std::vector<std::string>& text_lines) {
  std::map<int32_t, std::string> legend;
  bool in_legend = false;
  for (const std::string& text : text_lines) {
    const std::string_view line = text;
    std::size_t at = SkipBlanks(line, 0);
    if (!in_legend) {
      const std::string_view start = kLegendStart;
      if (line.substr(at, start.size()) != start ||
          (at + start.size() < line.size() && !IsBlank(line[at + start.size()]))) {
        continue;
      }
      in_legend = true;
      at = SkipBlanks(line, at + start.size());
    } else if (at == line.size()) {
      break;  // an empty line ends it
    }
    for (; at < line.size(); at = SkipBlanks(line, at)) {
      int32_t code = 0;
      std::string name;
      if (!NextEntry(line, &at, &code, &name)) return legend;
      legend.emplace(code, std::move(name));
    }
  }
  return legend;
}

std::string IdsCsvText(const std::vector<IdsRow>& rows, bool with_born) {
  std::vector<std::string> header = {"ini_id", "id", "family", "individual", "added", "note"};
  if (with_born) header.emplace_back("born");
  const bool with_cut = std::any_of(rows.begin(), rows.end(),
                                    [](const IdsRow& row) { return !row.parents_cut.empty(); });
  if (with_cut) header.emplace_back("parents_cut");
  std::string text = CsvLine(header);
  for (const IdsRow& row : rows) {
    std::vector<std::string> fields = {
        std::to_string(row.ini_id),     row.id,    std::to_string(row.family),
        std::to_string(row.individual), row.added, row.note};
    if (with_born) fields.push_back(row.born);
    if (with_cut) fields.push_back(row.parents_cut);
    text += CsvLine(fields);
  }
  return text;
}

std::map<int32_t, IdsRow> ParseIdsCsv(std::string_view text, std::vector<IdsProblem>* problems) {
  std::map<int32_t, IdsRow> ids;
  const auto fault = [problems](long line, std::string problem) {
    problems->push_back({line, std::move(problem)});
  };
  std::vector<CsvRow> rows;
  try {
    rows = ParseCsv(text, ',', std::string());  // a problem names only the line; callers the file
  } catch (const InputError& e) {
    fault(e.record(),
          e.problem() + (e.text().empty() ? "" : ": \"" + EscapeControlBytes(e.text()) + "\""));
    return ids;
  }
  if (rows.empty()) {
    fault(1, "expected a header with the columns ini_id and id, found an empty file");
    return ids;
  }
  const std::vector<std::string>& header = rows[0].fields;
  const auto column = [&header](const char* name) {
    return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  };
  const std::size_t ini_column = column("ini_id");
  const std::size_t id_column = column("id");
  if (ini_column == header.size() || id_column == header.size()) {
    std::string line = CsvLine(header);
    line.resize(line.size() - 2);  // without CR LF
    fault(rows[0].line, "expected a header with the columns ini_id and id, found \"" +
                            EscapeControlBytes(line) + "\"");
    return ids;
  }
  const std::size_t family_column = column("family");
  const std::size_t individual_column = column("individual");
  const std::size_t added_column = column("added");
  const std::size_t note_column = column("note");
  const std::size_t born_column = column("born");
  const std::size_t cut_column = column("parents_cut");
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    if (row.fields.size() != header.size()) {
      fault(row.line, "expected " + std::to_string(header.size()) +
                          " fields as in the header, found " + std::to_string(row.fields.size()));
      continue;
    }
    IdsRow ids_row;
    ids_row.line = row.line;
    const std::string& ini = row.fields[ini_column];
    if (!ParseIdsInt(ini, &ids_row.ini_id)) {
      fault(row.line, "expected an integer ini_id, found \"" + EscapeControlBytes(ini) + "\"");
      continue;
    }
    bool numbers = true;
    for (const auto& [at, target, name] :
         {std::tuple{family_column, &ids_row.family, "family"},
          std::tuple{individual_column, &ids_row.individual, "individual"}}) {
      if (at == header.size() || row.fields[at].empty() || ParseIdsInt(row.fields[at], target)) {
        continue;
      }
      fault(row.line, std::string("expected an integer ") + name + ", found \"" +
                          EscapeControlBytes(row.fields[at]) + "\"");
      numbers = false;
      break;
    }
    if (!numbers) continue;
    const auto seen = ids.find(ids_row.ini_id);
    if (seen != ids.end()) {
      fault(row.line, "expected each ini_id once, found " + std::to_string(ids_row.ini_id) +
                          " again (first on line " + std::to_string(seen->second.line) + ")");
      continue;
    }
    ids_row.id = row.fields[id_column];
    if (added_column != header.size()) ids_row.added = row.fields[added_column];
    if (note_column != header.size()) ids_row.note = row.fields[note_column];
    if (born_column != header.size()) ids_row.born = row.fields[born_column];
    if (cut_column != header.size()) ids_row.parents_cut = row.fields[cut_column];
    ids.emplace(ids_row.ini_id, std::move(ids_row));
  }
  return ids;
}

}  // namespace pedprep
