#include "import/import_command.h"

#include <algorithm>

#include "import/input_folder_writer.h"
#include "import/pedigree_builder.h"
#include "records/byte_order_mark.h"
#include "records/input_error.h"

namespace pedprep {
namespace {

constexpr const char* kProtectedFiles[] = {"PEDIGREE.PRN", "DEF.DAT", "database/pedigree.dat",
                                           "database/markers.dat"};

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder == ".") return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Keep-file ids: one per line, surrounding blanks dropped, blank lines skipped.
void ReadKeepIds(const std::string& text, PrepareOptions* options) {
  std::size_t begin = text.size() - WithoutByteOrderMark(text).size();
  long line = 0;
  while (begin < text.size()) {
    ++line;
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string id = text.substr(begin, end - begin);
    const std::size_t first = id.find_first_not_of(" \t\r");
    if (first != std::string::npos) {
      id = id.substr(first, id.find_last_not_of(" \t\r") - first + 1);
      options->keep_ids.push_back(id);
      options->keep_lines.push_back(line);
    }
    begin = end + 1;
  }
}

void WriteSummary(std::ostream& out, const PreparedPedigree& pedigree, const std::string& folder) {
  const ImportCounts& c = pedigree.counts;
  out << "rows read: " << c.rows_read << "\n"
      << "animals kept: " << c.animals << "\n"
      << "parents added: " << c.parents_added << "\n"
      << "dummies added: " << c.dummies_added << "\n"
      << "duplicates merged: " << c.duplicates_merged << "\n"
      << "sexes inferred: " << c.sexes_inferred << "\n";
  if (c.default_sexes > 0) out << "default sexes: " << c.default_sexes << "\n";
  if (c.default_breeds > 0) out << "default breeds: " << c.default_breeds << "\n";
  out << "families: " << c.families << " (largest " << c.largest_family << ")\n"
      << "breeds:";
  for (std::size_t i = 0; i < pedigree.breeds.size(); ++i) {
    if (!pedigree.breeds[i].empty()) out << " " << i + 1 << " = " << pedigree.breeds[i] << ";";
  }
  out << "\n"
      << "expected loop-break copies: " << c.loops << " (left: " << kMaxRows - c.animals - c.loops
      << " of " << kMaxRows << " rows, " << kMaxBreaks - c.loops << " of " << kMaxBreaks
      << " copies)\n"
      << "written in " << (folder.empty() ? "." : folder) << ":";
  for (const char* name : kImportedFiles) out << " " << name;
  out << "\n";
}

int ReportProblems(std::ostream& err, std::vector<ImportProblem> problems,
                   const std::string& herdbook) {
  // Herd-book lines first in line order, then the keep file, then the totals.
  auto group = [&herdbook](const ImportProblem& p) {
    return p.line == 0 ? 2 : p.file == herdbook ? 0 : 1;
  };
  std::stable_sort(problems.begin(), problems.end(),
                   [&group](const ImportProblem& a, const ImportProblem& b) {
                     return std::make_pair(group(a), a.line) < std::make_pair(group(b), b.line);
                   });
  for (const ImportProblem& problem : problems) err << FormatProblem(problem) << "\n";
  err << "pedprep import: " << problems.size() << (problems.size() == 1 ? " problem" : " problems")
      << ", nothing written\n";
  return kExitStopped;
}

}  // namespace

int RunImport(const ImportOptions& options, std::ostream& out, std::ostream& err,
              FileSystem& input_files, FileSystem& output_folder) {
  if (!options.force) {
    std::string existing;
    for (const char* name : kProtectedFiles) {
      if (output_folder.ReadFile(name, &existing)) {
        err << "pedprep import: " << InFolder(options.output_folder, name)
            << " exists; use --force to replace it\n";
        return kExitInputError;
      }
    }
  }
  std::string text;
  if (!input_files.ReadFile(options.herdbook, &text)) {
    err << "pedprep import: cannot read " << options.herdbook << "\n";
    return kExitInputError;
  }
  PrepareOptions prepare;
  prepare.herdbook_name = options.herdbook;
  prepare.generations = options.generations;
  prepare.default_sex = options.default_sex;
  prepare.default_breed = options.default_breed;
  prepare.marker_count = std::min(options.markers.size(), kMaxMarkerColumns);
  if (!options.keep_file.empty()) {
    std::string keep;
    if (!input_files.ReadFile(options.keep_file, &keep)) {
      err << "pedprep import: cannot read " << options.keep_file << "\n";
      return kExitInputError;
    }
    prepare.keep_given = true;
    prepare.keep_name = options.keep_file;
    ReadKeepIds(keep, &prepare);
  }

  std::vector<ImportProblem> problems;
  PreparedPedigree pedigree;
  try {
    HerdbookFormat format;
    format.delimiter = options.delimiter;
    format.missing = options.missing;
    format.markers = options.markers;
    const Herdbook book = ReadHerdbook(text, options.herdbook, format, &problems);  // views text
    if (book.usable) pedigree = PreparePedigree(book, prepare, &problems);
  } catch (const InputError& e) {
    problems.push_back({e.file(), e.record(), e.problem() + ": \"" + e.text() + "\""});
  }
  if (!problems.empty()) return ReportProblems(err, std::move(problems), options.herdbook);

  FolderTexts texts;
  texts.herdbook_name = options.herdbook;
  texts.marker_names = options.markers;
  texts.marker_file = options.marker_file;
  texts.select = options.select;
  try {
    std::vector<OutputFile> files = InputFolderFiles(pedigree, texts);
    output_folder.WriteFiles(files);
  } catch (const InputError& e) {
    err << "pedprep import: cannot write " << InFolder(options.output_folder, e.file()) << ": "
        << e.problem() << "\n";
    return kExitInputError;
  }
  WriteSummary(out, pedigree, options.output_folder);
  return kExitSuccess;
}

}  // namespace pedprep
