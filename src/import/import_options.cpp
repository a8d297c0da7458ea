#include "import/import_options.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "core/exit_status.h"
#include "core/run_files.h"
#include "import/book_names.h"
#include "import/folder_replacement.h"
#include "import/header_columns.h"
#include "records/count_text.h"
#include "records/escape.h"
#include "records/text_case.h"

namespace pedprep {
namespace {

// The files of an input folder that only --force replaces.
constexpr const char* kProtectedFiles[] = {kPassportFile, kDefinitionFile, kDatabasePedigreeFile,
                                           kMarkerDataFile};
// Herd books read in one call (HerdbookRow::file numbers them).
constexpr std::size_t kMaxHerdbooks = 1000;

std::string Trimmed(std::string_view text) { return std::string(TrimBlanks(text, " \t\r")); }

// Each check below returns "" or what is wrong, as said after "pedprep import: ".

std::string ExistingFolderFault(const ImportOptions& options, FileSystem& output_folder) {
  if (options.force) return "";
  std::string existing;
  for (const char* name : kProtectedFiles) {
    if (output_folder.ReadFile(name, &existing)) {
      return InFolder(options.output_folder, name) + " exists; use --force to replace it";
    }
  }
  return "";
}

std::string HerdbookCountFault(const ImportOptions& options) {
  if (options.herdbooks.size() <= kMaxHerdbooks) return "";
  return CountText(static_cast<long>(options.herdbooks.size())) + " herd books, at most " +
         CountText(kMaxHerdbooks);
}

// --select names one of the marker columns (the first when there are none).
std::string SelectFault(const ImportOptions& options) {
  const std::size_t columns = std::min(options.markers.size(), kMaxMarkerColumns);
  if (options.select >= 1 &&
      static_cast<std::size_t>(options.select) <= std::max<std::size_t>(1, columns)) {
    return "";
  }
  return "--select " + std::to_string(options.select) + " but " +
         (columns == 0 ? "no marker column (--marker)"
                       : Counted(static_cast<long>(columns), "marker column", "marker columns")) +
         "; the run would stop";
}

// With --prefix-ids, each book's prefix is its own and holds no ':'.
std::string PrefixFault(const ImportOptions& options) {
  if (!options.prefix_ids) return "";
  const std::vector<std::string> prefixes = BookPrefixNames(options.herdbooks);
  for (std::size_t i = 0; i < prefixes.size(); ++i) {
    for (std::size_t j = i + 1; j < prefixes.size(); ++j) {
      if (prefixes[i] != prefixes[j]) continue;
      return "--prefix-ids: " + EscapeControlBytes(options.herdbooks[i]) + " and " +
             EscapeControlBytes(options.herdbooks[j]) +
             " get the same prefix; name each herd book once";
    }
    // Only the first ':' of a prefixed id ends its prefix, so ids holding ':' never collide.
    if (prefixes[i].find(':') != std::string::npos) {
      return "--prefix-ids: " + EscapeControlBytes(options.herdbooks[i]) +
             " would prefix its ids with \"" + EscapeControlBytes(prefixes[i]) +
             ":\", but ':' ends the prefix; rename the file without ':'";
    }
  }
  return "";
}

// The folder part of a marker file name ("" when it has none), "." parts left out.
std::string MarkerFolder(const std::string& name) {
  std::string folder;
  std::size_t begin = 0;
  const std::size_t last = name.find_last_of("/\\");
  while (last != std::string::npos && begin < last) {
    std::size_t end = std::min(name.find_first_of("/\\", begin), last);
    const std::string part = name.substr(begin, end - begin);
    if (!part.empty() && part != ".") folder += (folder.empty() ? "" : "/") + part;
    begin = end + 1;
  }
  return folder;
}

// A name the run accepts, in a folder that exists or that the run makes (database).
std::string MarkerFileFault(const ImportOptions& options, FileSystem& output_folder) {
  const std::string name = Trimmed(options.marker_file);
  std::string problem = MarkerFileNameProblem(name);
  const std::string folder = MarkerFolder(name);
  if (problem.empty() && !folder.empty() && folder != "database" &&
      output_folder.KindOf(folder) != EntryKind::kFolder) {
    problem = "there is no folder " + folder + " for the run to write it in";
  }
  if (problem.empty()) return "";
  return "--marker-file \"" + EscapeControlBytes(options.marker_file) + "\": " + problem;
}

// "a=M,b=F" entries into sex codes.
std::string ParseSexCodes(const std::vector<std::string>& entries,
                          std::vector<std::pair<std::string, Sex>>* codes) {
  for (const std::string& entry : entries) {
    std::size_t begin = 0;
    while (begin <= entry.size()) {
      std::size_t end = entry.find(',', begin);
      if (end == std::string::npos) end = entry.size();
      const std::string pair = entry.substr(begin, end - begin);
      begin = end + 1;
      if (Trimmed(pair).empty()) continue;
      const std::size_t equals = pair.find('=');
      const std::string code = equals == std::string::npos ? "" : Trimmed(pair.substr(0, equals));
      const std::string sex = equals == std::string::npos ? "" : Trimmed(pair.substr(equals + 1));
      if (code.empty() || (sex != "M" && sex != "F" && sex != "m" && sex != "f")) {
        return EscapeControlBytes("--sex-codes: \"" + pair + "\" is not CODE=M or CODE=F");
      }
      // Codes match in any letter case: kept in lower case, as the reader compares them.
      std::string lower = code;
      for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      codes->push_back({lower, sex == "M" || sex == "m" ? Sex::kMale : Sex::kFemale});
    }
  }
  return "";
}

std::string BornFault(const ImportOptions& options) {
  if (options.born_from == 0 || options.born_to == 0 || options.born_from <= options.born_to) {
    return "";
  }
  return "--born-from " + std::to_string(options.born_from) + " is after --born-to " +
         std::to_string(options.born_to);
}

// Each "COLUMN:FROM=TO" into a recode of the marker column COLUMN (a --marker name, compared
// as header names are).
std::string ParseRecodes(const ImportOptions& options,
                         std::vector<HerdbookFormat::Recode>* recodes) {
  for (const std::string& entry : options.recodes) {
    const std::size_t equals = entry.find('=');
    const std::size_t colon =
        equals == std::string::npos ? std::string::npos : entry.rfind(':', equals);
    const std::string given = "--recode \"" + EscapeControlBytes(entry) + "\": ";
    if (colon == std::string::npos) return given + "not COLUMN:FROM=TO";
    const std::string column = HeaderKey(std::string_view(entry).substr(0, colon));
    const std::size_t columns = std::min(options.markers.size(), kMaxMarkerColumns);
    std::size_t m = 0;
    while (m < columns && HeaderKey(options.markers[m]) != column) ++m;
    if (m == columns) return given + "\"" + entry.substr(0, colon) + "\" is not a --marker column";
    recodes->push_back({m, Trimmed(entry.substr(colon + 1, equals - colon - 1)),
                        Trimmed(entry.substr(equals + 1))});
  }
  return "";
}

// Each "LABEL=LABEL" into the breed map.
std::string ParseRenames(const std::vector<std::string>& renames,
                         std::map<std::string, std::string, std::less<>>* map) {
  for (const std::string& rename : renames) {
    const std::size_t equals = rename.find('=');
    const std::string from = equals == std::string::npos ? "" : Trimmed(rename.substr(0, equals));
    const std::string to = equals == std::string::npos ? "" : Trimmed(rename.substr(equals + 1));
    if (!AddBreedLabel(from, to, map)) {
      return "--rename-breed \"" + EscapeControlBytes(rename) + "\" is not LABEL=LABEL";
    }
  }
  return "";
}

// The format of each book: `format` (its sex codes and recodes parsed) with the rest of the
// options, and with --prefix-ids and --breed-by-book each book's own prefix and breed.
void SettleFormats(const ImportOptions& options, HerdbookFormat format, ImportSettings* settings) {
  format.delimiter = options.delimiter;
  for (const std::string& codes : options.missing) {
    for (std::size_t begin = 0; begin <= codes.size();) {
      const std::size_t end = std::min(codes.find(',', begin), codes.size());
      const std::string code = Trimmed(std::string_view(codes).substr(begin, end - begin));
      if (!code.empty()) format.missing.push_back(code);
      begin = end + 1;
    }
  }
  format.parents_as_named = options.parents_as_named;
  format.markers = options.markers;
  format.columns = options.columns;
  format.selected_marker = static_cast<std::size_t>(options.select - 1);
  const std::vector<std::string> prefixes = BookPrefixNames(options.herdbooks);
  for (std::size_t b = 0; b < options.herdbooks.size(); ++b) {
    HerdbookFormat& book = settings->formats.emplace_back(format);
    if (options.prefix_ids) book.id_prefix = prefixes[b] + ":";
    if (options.breed_by_book) {
      book.book_breed = options.prefix_ids ? prefixes[b] : BookName(options.herdbooks[b]);
    }
  }
}

// Everything but the breed map (its --rename-breed entries parsed) and the keep file's ids.
void SettlePrepare(const ImportOptions& options, PrepareOptions* prepare) {
  const bool born = options.born_from != 0 || options.born_to != 0;
  prepare->herdbook_name = options.herdbooks.empty() ? "" : options.herdbooks.front();
  prepare->keep_given = born || !options.keep_file.empty();
  prepare->keep_name = options.keep_file;
  prepare->generations = options.generations;
  prepare->descendants = options.descendants;
  prepare->born_from = options.born_from;
  prepare->born_to = options.born_to;
  prepare->repair = options.repair;
  prepare->default_sex = options.default_sex;
  prepare->default_breed = options.default_breed;
  prepare->dummy_breed = options.dummy_breed;
  prepare->marker_count = std::min(options.markers.size(), kMaxMarkerColumns);
  prepare->used.largest_families = options.largest_families;
  prepare->used.drop_isolated = options.drop_isolated;
  prepare->used.keep = prepare->keep_given;
  prepare->used.generations_auto = options.generations_auto;
  prepare->used.descendants = options.descendants >= 0;
}

}  // namespace

bool AddBreedLabel(const std::string& from, const std::string& to,
                   std::map<std::string, std::string, std::less<>>* map) {
  if (from.empty() || to.empty()) return false;
  (*map)[from] = to;
  return true;
}

int SettleImport(const ImportOptions& options, std::ostream& err, FileSystem& output_folder,
                 ImportSettings* settings) {
  HerdbookFormat format;
  std::string fault = ExistingFolderFault(options, output_folder);
  if (fault.empty()) fault = HerdbookCountFault(options);
  if (fault.empty()) fault = SelectFault(options);
  if (fault.empty()) fault = PrefixFault(options);
  if (fault.empty()) fault = MarkerFileFault(options, output_folder);
  if (fault.empty()) fault = ParseSexCodes(options.sex_codes, &format.sex_codes);
  if (fault.empty()) fault = BornFault(options);
  if (fault.empty()) fault = ParseRecodes(options, &format.recodes);
  if (fault.empty()) fault = ParseRenames(options.rename_breeds, &settings->prepare.breed_map);
  if (!fault.empty()) {
    err << "pedprep import: " << fault << "\n";
    return kExitUsage;
  }
  SettleFormats(options, std::move(format), settings);
  SettlePrepare(options, &settings->prepare);
  settings->marker_file = Trimmed(options.marker_file);
  return kExitSuccess;
}

}  // namespace pedprep
