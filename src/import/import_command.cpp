#include "import/import_command.h"

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "core/output_guard.h"
#include "import/folder_replacement.h"
#include "import/generations_choice.h"
#include "import/input_folder_writer.h"
#include "import/pedigree_builder.h"
#include "records/byte_order_mark.h"
#include "records/count_text.h"
#include "records/csv.h"
#include "records/escape.h"
#include "records/id_list.h"
#include "records/input_error.h"
#include "records/text_case.h"
#include "records/text_encoding.h"

namespace pedprep {
namespace {

// Problems of one group shown before the rest are summed up.
constexpr std::size_t kShownPerGroup = 5;
constexpr std::size_t kLinesInSum = 10;

std::string Trimmed(std::string_view text) { return std::string(TrimBlanks(text, " \t\r")); }

// Calls on_line(line, content) for each line of a small text file (a breed
// map): lines numbered from 1 after a byte-order mark, ended by LF, CR LF or CR alone,
// content without surrounding blanks.
template <typename OnLine>
void ForEachTrimmedLine(const std::string& text, OnLine on_line) {
  std::size_t begin = text.size() - WithoutByteOrderMark(text).size();
  long line = 0;
  while (begin < text.size()) {
    ++line;
    std::size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string::npos) end = text.size();
    on_line(line, Trimmed(std::string_view(text).substr(begin, end - begin)));
    begin = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

// Keep-file ids: a list of one id a line (records/id_list.h).
void ReadKeepIds(const std::string& text, PrepareOptions* options) {
  for (ListedId& listed : ParseIdList(text)) {
    options->keep_ids.push_back(std::move(listed.id));
    options->keep_lines.push_back(listed.line);
  }
}

// The breed map file: per line a label as in the herd book and the label to use, separated
// by TAB, ';', ',', '=' or blanks (the first of them on the line); blank lines and lines
// starting with '#' are skipped.
std::vector<ImportProblem> ReadBreedMap(const std::string& name, const std::string& text,
                                        std::map<std::string, std::string, std::less<>>* map) {
  std::vector<ImportProblem> problems;
  ForEachTrimmedLine(text, [&](long line, const std::string& content) {
    if (content.empty() || content[0] == '#') return;
    const std::size_t cut = content.find_first_of("\t;,= ");
    const std::string from = cut == std::string::npos ? content : Trimmed(content.substr(0, cut));
    const std::string to = cut == std::string::npos ? "" : Trimmed(content.substr(cut + 1));
    if (!AddBreedLabel(from, to, map)) {
      problems.push_back({name, line, "not two breed labels: \"" + content + "\"", "", "",
                          ProblemKind::kBreedMapLine});
    }
  });
  return problems;
}

void WriteSummary(std::ostream& out, const PreparedPedigree& pedigree, const ImportOptions& options,
                  const std::string& generations, const std::vector<std::string>& removed) {
  const ImportCounts& c = pedigree.counts;
  const std::string folder = options.output_folder.empty() ? "." : options.output_folder;
  out << "rows read: " << CountText(c.rows_read) << "\n";
  if (options.drop_isolated) {
    out << "isolated animals left out: " << CountText(c.isolated_dropped)
        << " (no parent and no offspring)\n";
  }
  if (options.largest_families >= 0) {
    out << "families kept: the "
        << CountText(std::min(options.largest_families, c.families_in_book)) << " largest of "
        << CountText(c.families_in_book) << "\n";
  }
  out << "animals kept: " << CountText(c.animals) << "\n"
      << "parents added: " << CountText(c.parents_added) << "\n"
      << "dummy parents: " << CountText(c.dummies_added)
      << (c.dummies_added == 0 ? ""
          : options.dummy_breed.empty()
              ? (c.dummies_added == 1 ? ", of its child's breed" : ", each of its child's breed")
              : ", of breed " + EscapeControlBytes(options.dummy_breed))
      << "\n"
      << "duplicates merged: " << CountText(c.duplicates_merged) << "\n"
      << "sexes inferred: " << CountText(c.sexes_inferred) << "\n";
  if (c.default_sexes > 0) out << "default sexes: " << CountText(c.default_sexes) << "\n";
  if (c.default_breeds > 0) out << "default breeds: " << CountText(c.default_breeds) << "\n";
  for (std::size_t m = 0; m < pedigree.marker_zeros.size() && m < options.markers.size(); ++m) {
    const long zeros = pedigree.marker_zeros[m];
    if (zeros == 0) continue;
    const std::string name = EscapeControlBytes(options.markers[m]);
    out << "marker \"" << name << "\": " << Counted(zeros, "zero", "zeros")
        << " read as no value (--recode " << name << ":0=VALUE keeps them)\n";
  }
  if (!generations.empty()) out << "generations: " << generations << "\n";
  out << "families: " << CountText(c.families) << " (largest " << CountText(c.largest_family)
      << ")\n"
      << "breeds (founders):";
  for (std::size_t i = 0; i < pedigree.breeds.size(); ++i) {
    if (pedigree.breeds[i].empty()) continue;
    const long founders = i < pedigree.breed_founders.size() ? pedigree.breed_founders[i] : 0;
    out << " " << i + 1 << " = " << EscapeControlBytes(pedigree.breeds[i]) << " ("
        << CountText(founders) << ");";
  }
  out << "\n";
  if (!pedigree.repairs.empty()) {
    out << "repairs: " << CountText(static_cast<long>(pedigree.repairs.size())) << "\n";
    for (const std::string& repair : pedigree.repairs) {
      out << "  " << EscapeControlBytes(repair) << "\n";
    }
  }
  out << "loop-break copies: at least " << CountText(c.loops) << " (left: at most "
      << CountText(kMaxRows - c.animals - c.loops) << " of " << CountText(kMaxRows) << " rows, "
      << CountText(kMaxBreaks - c.loops) << " of " << CountText(kMaxBreaks) << " copies)\n";
  if (c.nation9_parents > 0) {
    out << "parent copies: " << Counted(c.nation9_parents, "parent", "parents")
        << " with nation code 9 in families with loops; each copy of one adds up to 2 "
           "rows, more where its parents have code 9 too\n";
  }
  if (!removed.empty()) {
    out << "removed from " << folder << " (an earlier run):";
    for (const std::string& name : removed) out << " " << EscapeControlBytes(name);
    out << "\n";
  }
  out << "written in " << folder << ":";
  for (const char* name : kImportedFiles) out << " " << name;
  out << "\n";
}

// Herd books first in the order given, then the other files, each in line order; the totals
// (line 0) last.
void SortProblems(std::vector<ImportProblem>* problems, const std::vector<std::string>& books) {
  auto rank = [&books](const ImportProblem& p) {
    if (p.line == 0 && IsCapacity(p.kind)) return books.size() + 1;
    const auto found = std::find(books.begin(), books.end(), p.file);
    return static_cast<std::size_t>(found - books.begin());
  };
  std::stable_sort(problems->begin(), problems->end(),
                   [&rank](const ImportProblem& a, const ImportProblem& b) {
                     return std::make_pair(rank(a), a.line) < std::make_pair(rank(b), b.line);
                   });
}

std::string ProblemsCsv(const std::vector<ImportProblem>& problems) {
  std::string csv = CsvLine({"file", "line", "id", "problem"});
  for (const ImportProblem& p : problems) {
    csv += CsvLine({p.file, p.line == 0 ? "" : std::to_string(p.line), p.id, p.message});
  }
  return csv;
}

void ShowProblems(std::ostream& err, const std::vector<ImportProblem>& problems) {
  struct Group {
    std::size_t seen = 0;
    std::vector<long> lines;  // past the shown ones
    std::size_t summary = 0;  // index of the first problem past the shown ones
  };
  std::map<std::string, Group> groups;
  auto key = [](const ImportProblem& p) {
    return p.file + '\x1f' + p.group + '\x1f' + std::to_string(static_cast<int>(p.kind));
  };
  auto summed = [](const ImportProblem& p) { return *ProblemPlural(p.kind) != '\0'; };
  for (std::size_t i = 0; i < problems.size(); ++i) {
    const ImportProblem& p = problems[i];
    if (!summed(p)) continue;
    Group& group = groups[key(p)];
    if (++group.seen == kShownPerGroup + 1) group.summary = i;
    if (group.seen > kShownPerGroup) group.lines.push_back(p.line);
  }
  for (std::size_t i = 0; i < problems.size(); ++i) {
    const ImportProblem& p = problems[i];
    const auto found = summed(p) ? groups.find(key(p)) : groups.end();
    if (found == groups.end() || found->second.seen <= kShownPerGroup) {
      err << FormatProblem(p) << "\n";
      continue;
    }
    const Group& group = found->second;
    if (i < group.summary) {
      err << FormatProblem(p) << "\n";
    } else if (i == group.summary) {
      std::string lines;
      for (std::size_t l = 0; l < std::min(kLinesInSum, group.lines.size()); ++l) {
        lines += (l == 0 ? "" : ", ") + std::to_string(group.lines[l]);
      }
      if (group.lines.size() > kLinesInSum) lines += ", ...";
      err << EscapeControlBytes(p.file + ": " + (p.group.empty() ? "" : p.group + ": ") +
                                CountText(static_cast<long>(group.lines.size())) + " more " +
                                ProblemPlural(p.kind) + " (lines " + lines + ")")
          << "\n";
    }
  }
  err << "pedprep import: " << Counted(static_cast<long>(problems.size()), "problem", "problems")
      << ", nothing written\n";
}

// The herd books read as one, with the texts their views point into.
struct ReadBooks {
  std::vector<std::unique_ptr<std::string>> texts;
  std::vector<HerdbookFormat> formats;  // by book read: rows view their book_breed
  Herdbook book;
};

// The bytes of a file; a file that cannot be read (or is too large) is reported on `err`.
bool ReadBytes(FileSystem& input_files, const std::string& name, std::ostream& err,
               std::string* bytes) {
  try {
    if (input_files.ReadFile(name, bytes)) return true;
  } catch (const InputError& e) {  // a file too large to read
    err << e.Report() << "\n";
    return false;
  }
  err << "pedprep import: cannot read " << EscapeControlBytes(name) << " ("
      << input_files.ReadProblem(name) << ")\n";
  return false;
}

// A keep file or a breed map, as text in the books' encoding; a fault is reported on `err`.
bool ReadText(FileSystem& input_files, const std::string& name, TextEncoding encoding,
              std::ostream& err, std::string* text) {
  if (!ReadBytes(input_files, name, err, text)) return false;
  long fallback_line = 0;
  if (const std::string why = ConvertToUtf8(text, encoding, &fallback_line); !why.empty()) {
    err << "pedprep import: " << EscapeControlBytes(name) << ": " << why << "\n";
    return false;
  }
  return true;
}

// Reads the breed map (its labels under those of --rename-breed) and the keep file's ids into
// `prepare`; problems of the map go to `problems`. Returns kExitSuccess or, when a file cannot
// be read, kExitInputError.
int ReadLists(const ImportOptions& options, std::ostream& err, FileSystem& input_files,
              PrepareOptions* prepare, std::vector<ImportProblem>* problems) {
  if (!options.breed_map_file.empty()) {
    std::string text;
    if (!ReadText(input_files, options.breed_map_file, options.encoding, err, &text)) {
      return kExitInputError;
    }
    std::map<std::string, std::string, std::less<>> map;
    *problems = ReadBreedMap(options.breed_map_file, text, &map);
    prepare->breed_map.insert(map.begin(), map.end());  // --rename-breed wins over the map
  }
  if (!options.keep_file.empty()) {
    std::string keep;
    if (!ReadText(input_files, options.keep_file, options.encoding, err, &keep)) {
      return kExitInputError;
    }
    ReadKeepIds(keep, prepare);
  }
  return kExitSuccess;
}

// Reads the herd books as one into `read`, each in its format of `settings`; problems in
// them go to `problems`. Returns kExitSuccess or, when a file cannot be read, kExitInputError.
int ReadHerdbooks(const ImportOptions& options, std::ostream& err, FileSystem& input_files,
                  const ImportSettings& settings, ReadBooks* read,
                  std::vector<ImportProblem>* problems) {
  std::vector<std::string> names;  // of the texts
  for (std::size_t b = 0; b < options.herdbooks.size(); ++b) {
    const std::string& name = options.herdbooks[b];
    auto text = std::make_unique<std::string>();
    if (!ReadBytes(input_files, name, err, text.get())) return kExitInputError;
    long fallback_line = 0;
    const std::string why = MakeHerdbookText(text.get(), options.encoding, &fallback_line);
    if (fallback_line != 0) {
      err << "pedprep import: " << EscapeControlBytes(name) << ":" << fallback_line
          << ": not UTF-8; read as Windows-1252 (name the encoding with --encoding)\n";
    }
    if (!why.empty()) {
      problems->push_back({name, 0, why, "", "", ProblemKind::kFile});
      continue;  // read no further
    }
    read->texts.push_back(std::move(text));
    read->formats.push_back(settings.formats[b]);  // all in place before a row views one
    names.push_back(name);
  }
  try {
    for (std::size_t b = 0; b < names.size(); ++b) {
      Herdbook next =
          ReadHerdbook(*read->texts[b], names[b], read->formats[b], problems, static_cast<int>(b));
      if (b == 0) {
        read->book = std::move(next);
      } else {
        read->book.Append(std::move(next));
      }
    }
  } catch (const InputError& e) {  // malformed quoting: the book is read no further
    problems->push_back(
        {e.file(), e.record(), e.problem() + ": \"" + e.text() + "\"", "", "", ProblemKind::kFile});
    read->book.usable = false;
    return kExitSuccess;
  }
  read->book.usable = read->book.usable && names.size() == options.herdbooks.size();
  const PrepareOptions& prepare = settings.prepare;
  if (read->book.usable && !read->book.has_born &&
      (prepare.born_from != 0 || prepare.born_to != 0)) {
    problems->push_back({options.herdbooks.front(), 1,
                         "no birth column for --born-from and --born-to (born, birth, yob, "
                         "birth_year, birthdate; name it with --born)",
                         "", "", ProblemKind::kMissingColumn});
    read->book.usable = false;
  }
  return kExitSuccess;
}

// Refuses a book, keep file or breed map that is a file of the folder the import writes:
// kExitInputError with the reason on `err`, else kExitSuccess.
int RefuseFolderInputs(const ImportOptions& options, std::ostream& err, FileSystem& input_files,
                       FileSystem& output_folder) {
  OutputGuard folder_files(input_files, "the import");
  folder_files.KeepFolderFiles(output_folder, options.output_folder);
  std::vector<std::string> inputs = options.herdbooks;
  inputs.push_back(options.keep_file);
  inputs.push_back(options.breed_map_file);
  for (const std::string& input : inputs) {
    const std::string refusal = input.empty() ? "" : folder_files.Refusal(input);
    if (!refusal.empty()) {
      err << "pedprep import: " << EscapeControlBytes(input) << ": " << EscapeControlBytes(refusal)
          << ", which the import writes; nothing written\n";
      return kExitInputError;
    }
  }
  return kExitSuccess;
}

// The pedigree of the selection; with --generations auto, of the most generations of
// ancestors whose selection fits (import/generations_choice.h), said in `generations`.
PreparedPedigree ChooseGenerations(const Herdbook& book, PrepareOptions prepare,
                                   std::string* generations, std::vector<ImportProblem>* problems) {
  if (!prepare.used.generations_auto) return PreparePedigree(book, prepare, problems);
  PreparedPedigree pedigree;
  *generations = ChooseAutoGenerations(book, std::move(prepare), &pedigree, problems);
  return pedigree;
}

// Writes the problems sorted to `err` and, with --problems, as CSV; returns kExitStopped, or
// kExitInputError when the CSV cannot be written.
int ReportProblems(const ImportOptions& options, std::ostream& out, std::ostream& err,
                   FileSystem& input_files, FileSystem& output_folder,
                   std::vector<ImportProblem>* problems) {
  SortProblems(problems, options.herdbooks);
  if (!options.problems_file.empty()) {
    std::vector<std::string> inputs = options.herdbooks;
    for (const std::string* name : {&options.keep_file, &options.breed_map_file}) {
      if (!name->empty()) inputs.push_back(*name);
    }
    const std::string refusal = ProblemsFileRefusal(input_files, options.problems_file, inputs,
                                                    output_folder, options.output_folder);
    if (!refusal.empty()) {
      err << "pedprep import: --problems " << EscapeControlBytes(options.problems_file) << ": "
          << EscapeControlBytes(refusal) << "; nothing written\n";
      return kExitInputError;
    }
    try {
      OutputGuard(input_files, "the import")
          .Write(options.problems_file, ProblemsCsv(*problems), out);
    } catch (const InputError& e) {
      err << "pedprep import: cannot write " << EscapeControlBytes(options.problems_file) << ": "
          << e.problem() << "\n";
      return kExitInputError;
    }
  }
  if (!problems->empty()) ShowProblems(err, *problems);
  return problems->empty() ? kExitSuccess : kExitStopped;
}

// Writes the input folder as one group (import/folder_replacement.h) and the summary.
int WriteInputFolder(const ImportOptions& options, const std::string& marker_file,
                     const PreparedPedigree& pedigree, const std::string& generations,
                     std::ostream& out, std::ostream& err, FileSystem& output_folder) {
  FolderTexts folder_texts;
  folder_texts.herdbook_name = options.herdbooks.size() == 1
                                   ? options.herdbooks.front()
                                   : options.herdbooks.front() + " and " +
                                         std::to_string(options.herdbooks.size() - 1) + " more";
  folder_texts.marker_names = options.markers;
  folder_texts.marker_file = marker_file;
  folder_texts.select = options.select;
  std::vector<std::string> removed;
  const int written =
      ReplaceInputFolder(output_folder, options.output_folder,
                         InputFolderFiles(pedigree, folder_texts), options.force, err, &removed);
  if (written != kExitSuccess) return written;
  WriteSummary(out, pedigree, options, generations, removed);
  return kExitSuccess;
}

}  // namespace

int RunImport(const ImportOptions& options, std::ostream& out, std::ostream& err,
              FileSystem& input_files, FileSystem& output_folder) {
  ImportSettings settings;
  if (const int status = SettleImport(options, err, output_folder, &settings);
      status != kExitSuccess) {
    return status;
  }
  if (const int status = RefuseFolderInputs(options, err, input_files, output_folder);
      status != kExitSuccess) {
    return status;
  }
  ReadBooks read;
  std::vector<ImportProblem> problems;
  PreparedPedigree pedigree;
  std::string generations;
  if (const int status = ReadLists(options, err, input_files, &settings.prepare, &problems);
      status != kExitSuccess) {
    return status;
  }
  if (const int status = ReadHerdbooks(options, err, input_files, settings, &read, &problems);
      status != kExitSuccess) {
    return status;
  }
  if (read.book.usable) {
    pedigree = ChooseGenerations(read.book, settings.prepare, &generations, &problems);
  }
  if (const int status = ReportProblems(options, out, err, input_files, output_folder, &problems);
      status != kExitSuccess) {
    return status;
  }
  return WriteInputFolder(options, settings.marker_file, pedigree, generations, out, err,
                          output_folder);
}

}  // namespace pedprep
