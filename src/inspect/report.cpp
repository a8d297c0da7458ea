#include "inspect/report.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <vector>

#include "core/pedigree_store.h"
#include "driver/run_driver.h"
#include "inspect/observed_run.h"
#include "records/csv.h"
#include "records/input_error.h"

namespace pedprep {
namespace {

constexpr std::size_t kMaxListed = 20;  // ids listed in a line of the silent pass-overs

std::string Grouped(long value) {
  const std::string digits = std::to_string(value < 0 ? -value : value);
  std::string text = value < 0 ? "-" : "";
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) text.push_back(',');
    text.push_back(digits[k]);
  }
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The integers of `line` after byte `from`.
std::vector<long> Numbers(const std::string& line, std::size_t from = 0) {
  std::vector<long> numbers;
  std::size_t k = from;
  while (k < line.size()) {
    const bool sign = line[k] == '-' && k + 1 < line.size() &&
                      std::isdigit(static_cast<unsigned char>(line[k + 1]));
    if (!sign && !std::isdigit(static_cast<unsigned char>(line[k]))) {
      ++k;
      continue;
    }
    std::size_t end = k + 1;
    while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end]))) ++end;
    if (end - k <= 9) numbers.push_back(std::stol(line.substr(k, end - k)));
    k = end;
  }
  return numbers;
}

// The animal at passport data line i: "animal 5 of family 1 (ini_id 5, id DE05)".
std::string AnimalAtLine(const ObservedRun& run, long i) {
  const PedigreeStore& st = run.run->store;
  if (i < 1 || i > kMaxRows) return "data line " + std::to_string(i);
  const auto p = static_cast<std::size_t>(i);
  std::string text = "animal " + std::to_string(st.MAS[p][1]) + " of family " +
                     std::to_string(st.MAS0[p]) + " (data line " + std::to_string(i);
  // A record that stops the reading has no ini_id yet.
  if (st.INI_ID[p] != 0) text += ", ini_id " + std::to_string(st.INI_ID[p]);
  const std::string id = st.INI_ID[p] == 0 ? "" : run.Id(st.INI_ID[p]);
  return text + (id.empty() ? "" : ", id " + id) + ")";
}

// The animal numbered `number` in family s (INS index) as the store holds it.
std::string AnimalInFamily(const ObservedRun& run, long s, long number) {
  const PedigreeStore& st = run.run->store;
  std::string text = "animal " + std::to_string(number) + " of family " + std::to_string(s);
  if (s < 1 || s > st.NumFamilies()) return text;
  for (int p = st.FamilyFirst(static_cast<int>(s)); p <= st.FamilyLast(static_cast<int>(s)); ++p) {
    if (st.MAS[p][1] != number) continue;
    const std::string id = run.Id(st.INI_ID[p]);
    return text + " (ini_id " + std::to_string(st.INI_ID[p]) + (id.empty() ? "" : ", id " + id) +
           ")";
  }
  return text;
}

std::string Joined(const std::vector<std::string>& parts, std::size_t most) {
  std::string text;
  for (std::size_t k = 0; k < parts.size() && k < most; ++k)
    text += (k == 0 ? "" : "; ") + parts[k];
  if (parts.size() > most) text += "; and " + std::to_string(parts.size() - most) + " more";
  return text;
}

// The passport check's findings (the lines before "ERRORS are present in pasport data").
std::string PassportCheckFindings(const ObservedRun& run, const std::vector<std::string>& lines) {
  std::vector<std::string> findings;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::string& line = lines[k];
    std::vector<long> n = Numbers(line);
    if (line.find("ERROR OF FAMILY NUMBER") != std::string::npos && n.size() >= 2) {
      findings.push_back("data line " + std::to_string(n[1]) + " is not numbered family " +
                         std::to_string(n[0]) + " as its place says");
    } else if (line.find("ERROR OF NUMERATION: IS") != std::string::npos && n.size() >= 3) {
      findings.push_back("member " + std::to_string(n[1]) + " of family " + std::to_string(n[0]) +
                         " carries individual number " + std::to_string(n[2]) +
                         " (numbers must run 1, 2, 3, ...)");
    } else if (line.find("ERROR OF PARENTS NUMERATION") != std::string::npos && n.size() >= 2) {
      findings.push_back("member " + std::to_string(n[1]) + " of family " + std::to_string(n[0]) +
                         " names a parent number beyond the family");
    } else if (line.find("SEX ERROR") != std::string::npos && n.size() >= 2) {
      const std::vector<long> code =
          k + 1 < lines.size() ? Numbers(lines[k + 1]) : std::vector<long>{};
      findings.push_back(AnimalInFamily(run, n[0], n[1]) +
                         (!code.empty() && code[0] == 1
                              ? " has a sex code other than 1 or 2"
                              : " is a parent in the role of the other sex"));
    }
  }
  findings.erase(std::unique(findings.begin(), findings.end()), findings.end());
  return Joined(findings, kMaxListed);
}

}  // namespace

std::string StopReason(const ObservedRun& run) {
  if (run.status == kExitSuccess) return "";
  if (run.status == kExitInputError) return run.input_error;
  const std::vector<std::string> lines = Lines(run.console);
  auto find = [&lines](const char* text) -> const std::string* {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
      if (it->find(text) != std::string::npos) return &*it;
    }
    return nullptr;
  };
  const std::string family = "family " + std::to_string(run.last_family_started);
  if (find("max. number of loop breaks is 4096")) {
    return "the loop breaking reaches the limit of 4,096 copies in " + family;
  }
  if (const std::string* line = find("BLOOD CAN NOT BE FOUND IN DATA LINE")) {
    std::vector<std::string> animals;
    for (const std::string& l : lines) {
      if (l.find("BLOOD CAN NOT BE FOUND IN DATA LINE") == std::string::npos) continue;
      const std::vector<long> n = Numbers(l);
      if (!n.empty()) animals.push_back(AnimalAtLine(run, n.back()));
    }
    (void)line;
    return "the blood step finds no breed fractions for an animal that is its own ancestor, or "
           "descends from one: " +
           Joined(animals, kMaxListed);
  }
  if (find("max. sample size is N4096")) {
    if (run.structure_done) {
      return "the parent copies of the reconstruction would take the pedigree past 24,096 rows";
    }
    if (run.last_family_started > 0) {
      return "the loop-break copies would take the pedigree past 24,096 rows, in " + family;
    }
    return "the passport file counts more than 24,096 animals";
  }
  if (find("ERROR: (K1.GT.K2) 2")) {
    return "the loop search runs out of places to break a loop in " + family;
  }
  if (const std::string* line = find("ERROR: individual not found")) {
    const std::vector<long> n = Numbers(*line);
    return "the loop breaking would copy individual " +
           (n.empty() ? std::string("?") : std::to_string(n.back())) + ", who is no member of " +
           family;
  }
  if (find("no individuals in the passport file")) {
    return "the passport file's header counts no animals";
  }
  if (find("max. number of races is 10")) {
    return "the passport file's header counts more than 10 breeds (or fewer than 0)";
  }
  if (find("max. number of families is 2600")) {
    return "the passport file holds more than 2,600 families";
  }
  if (const std::string* line = find("Both parents should be observed")) {
    (void)line;
    const std::string* at = find("Error in data line");
    const std::vector<long> n = at ? Numbers(*at) : std::vector<long>{};
    return "a passport error: " +
           (n.empty() ? std::string("an animal") : AnimalAtLine(run, n.back())) +
           " has one parent known and the other unknown";
  }
  if (const std::string* line = find("The race is 0, but the parents are unobserved")) {
    const std::vector<long> n = Numbers(*line);
    return "a passport error: " +
           (n.empty() ? std::string("an animal") : AnimalAtLine(run, n.back())) +
           " has breed 0 but unknown parents";
  }
  if (const std::string* line = find("ERROR of numeration, LINE")) {
    const std::vector<long> n = Numbers(*line);
    return "a passport error: the family numbers must run 1, 2, 3, ... in file order; " +
           (n.empty() ? std::string("a data line") : "data line " + std::to_string(n.back())) +
           " breaks the run";
  }
  if (find("ERRORS are present in pasport data")) {
    return "the passport check finds errors: " + PassportCheckFindings(run, lines);
  }
  if (find("wrong marker definition")) {
    return "the marker definition is out of range: DEF.DAT's value to take (record 5) or "
           "database/markers.dat's values per record";
  }
  // A stop without a message of its own: the last line the run showed before it.
  std::string last;
  for (const std::string& line : lines) {
    if (line.find("Stop - Program terminated.") == std::string::npos) last = line;
  }
  return run.structure_done ? "the reconstruction finds no source row for a copy"
                            : "the run stops after the line \"" + last + "\"";
}

namespace {

// Columns right-aligned to their widest entry, two blanks apart; `left` columns left-aligned.
class Table {
 public:
  Table(std::vector<std::string> header, std::vector<bool> left) : left_(std::move(left)) {
    rows_.push_back(std::move(header));
  }
  void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
  void Print(std::ostream& out) const {
    std::vector<std::size_t> width(rows_[0].size(), 0);
    for (const auto& row : rows_) {
      for (std::size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
    }
    for (const auto& row : rows_) {
      std::string line;
      for (std::size_t c = 0; c < row.size(); ++c) {
        const std::string pad(width[c] - row[c].size(), ' ');
        line += (c == 0 ? "" : "  ") + (left_[c] ? row[c] + pad : pad + row[c]);
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out << "  " << line << "\n";
    }
  }

 private:
  std::vector<bool> left_;
  std::vector<std::vector<std::string>> rows_;
};

std::string Str(long v) { return std::to_string(v); }

std::string IdList(const std::vector<int32_t>& values, const IdTable* ids, const ObservedRun& run) {
  std::string text;
  for (std::size_t k = 0; k < values.size() && k < kMaxListed; ++k) {
    text += (k == 0 ? "" : ", ") + std::to_string(values[k]);
    if (ids != nullptr && !run.Id(values[k]).empty()) text += " (" + run.Id(values[k]) + ")";
  }
  if (values.size() > kMaxListed) text += ", ...";
  return text;
}

void WriteCsv(const ObservedRun& run, std::ostream& out) {
  out << CsvLine({"kind", "family", "copy", "original", "ini_id", "id"});
  for (const LoopCopy& c : run.loop_copies) {
    out << CsvLine(
        {"loop", Str(c.family), Str(c.copy), Str(c.original), Str(c.ini_id), run.Id(c.ini_id)});
  }
  for (const ParentCopy& c : run.parent_copies) {
    out << CsvLine(
        {"parent", Str(c.family), Str(c.copy), Str(c.original), Str(c.ini_id), run.Id(c.ini_id)});
  }
}

void WriteText(const ObservedRun& run, std::ostream& out) {
  const std::string reason = StopReason(run);
  FamilyCounts total;
  for (const FamilyCounts& f : run.families) {
    total.read += f.read;
    total.loop += f.loop;
    total.parent += f.parent;
    total.rows += f.rows;
  }
  if (reason.empty()) {
    out << "The run finishes: ped.dat holds " << Grouped(total.rows) << " rows.\n";
  } else {
    out << "The run stops: " << reason << ".\n";
    if (!run.loop_copies.empty()) {
      out << "Numbers below are those of the loop breaking; ped.dat is not written.\n";
    }
  }

  if (!run.families.empty()) {
    out << "\nFamilies" << (run.structure_done ? "" : " (as far as the loop breaking came)")
        << "\n";
    Table table({"family", "animals read", "loop-break copies", "parent copies", "rows"},
                {false, false, false, false, false});
    for (const FamilyCounts& f : run.families) {
      table.Add({Str(f.family), Str(f.read), Str(f.loop), Str(f.parent), Str(f.rows)});
    }
    table.Add({"total", Str(total.read), Str(total.loop), Str(total.parent), Str(total.rows)});
    table.Print(out);
  }

  out << "\nLoop-break copies: " << run.loop_copies.size() << "\n";
  if (!run.loop_copies.empty()) {
    Table table({"family", "copy", "original", "ini_id", "given to the children of", "id"},
                {false, false, false, false, true, true});
    std::map<std::pair<int32_t, int32_t>, int> per_original;
    std::vector<std::pair<int32_t, int32_t>> order;
    std::map<std::pair<int32_t, int32_t>, int32_t> original_ini;
    for (const LoopCopy& c : run.loop_copies) {
      table.Add({Str(c.family), Str(c.copy), Str(c.original), Str(c.ini_id),
                 "father " + Str(c.father) + ", mother " + Str(c.mother), run.Id(c.ini_id)});
      const auto key = std::make_pair(c.family, c.original);
      if (per_original[key]++ == 0) order.push_back(key);
      original_ini[key] = c.ini_id;
    }
    table.Print(out);
    out << "\nCopies per copied animal: " << order.size() << " animals\n";
    Table counts({"family", "original", "ini_id", "copies", "id"},
                 {false, false, false, false, true});
    for (const auto& key : order) {
      counts.Add({Str(key.first), Str(key.second), Str(original_ini[key]), Str(per_original[key]),
                  run.Id(original_ini[key])});
    }
    counts.Print(out);
  }

  out << "\nParent copies of the reconstruction: " << run.parent_copies.size() << "\n";
  if (!run.parent_copies.empty()) {
    Table table({"family", "copy", "original", "ini_id", "made for", "id"},
                {false, false, false, false, false, true});
    for (const ParentCopy& c : run.parent_copies) {
      table.Add({Str(c.family), Str(c.copy), Str(c.original), Str(c.ini_id), Str(c.made_for),
                 run.Id(c.ini_id)});
    }
    table.Print(out);
  }

  out << "\nCapacities used\n";
  Table capacity({"", "used", "of"}, {true, false, false});
  const int32_t rows = run.families.empty() ? run.animals_read : total.rows;
  capacity.Add({"rows", Grouped(rows), Grouped(kMaxRows)});
  capacity.Add({"loop-break copies", Grouped(static_cast<long>(run.loop_copies.size())),
                Grouped(kMaxBreaks)});
  capacity.Add(
      {"families", Grouped(static_cast<long>(run.families.size())), Grouped(kMaxFamilies)});
  capacity.Print(out);

  out << "\nPassed over in silence\n";
  out << "  PEDIGREE.PRN records after the header's count (not read): " << run.records_after_count
      << "\n";
  if (run.markers_checked) {
    out << "  marker records whose identifier matches no animal: "
        << run.unmatched_marker_ids.size();
    if (!run.unmatched_marker_ids.empty())
      out << " (identifiers " << IdList(run.unmatched_marker_ids, nullptr, run) << ")";
    out << "\n  animals without a marker record: " << run.animals_without_marker.size();
    if (!run.animals_without_marker.empty())
      out << " (ini_id " << IdList(run.animals_without_marker, &run.ids, run) << ")";
    out << "\n";
  } else {
    out << "  markers: not matched, the run stops before\n";
  }
}

}  // namespace

int RunReport(FileSystem& folder, bool csv, std::ostream& out, std::ostream& err) {
  std::unique_ptr<ObservedRun> run = ObserveRunOrReport(folder, err);
  if (!run) return kExitInputError;
  std::ostringstream text;
  if (csv) {
    WriteCsv(*run, text);
    if (run->status != kExitSuccess)
      err << "pedprep report: the run stops: " << StopReason(*run) << "\n";
  } else {
    WriteText(*run, text);
  }
  out << text.str();
  return kExitSuccess;
}

}  // namespace pedprep
