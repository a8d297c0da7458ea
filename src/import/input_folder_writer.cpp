#include "import/input_folder_writer.h"

#include <algorithm>

#include "core/run_files.h"
#include "records/input_folder.h"
#include "records/layout.h"
#include "records/text_writer.h"
#include "records/values.h"

namespace pedprep {
namespace {

constexpr std::size_t kDefinitionWidth = 20;

// One record holding `text` (cut to `width` bytes), without padding. A control byte (a line
// break inside a quoted herd-book field, a TAB) is written as a blank, so that the text stays
// one record and the records after it keep their places.
void WriteText(TextFileWriter& out, std::string text, std::size_t width) {
  if (text.size() > width) text.resize(width);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') c = ' ';
  }
  if (text.empty()) {
    out.Write(Layout::Parse("A1"), {});
    return;
  }
  std::string layout = "A";
  layout += std::to_string(text.size());
  out.Write(Layout::Parse(layout), {Str(text)});
}

std::string JoinedNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : " ") + name;
  return joined;
}

}  // namespace

const char* const kImportedFiles[5] = {kPassportFile, kDefinitionFile, kDatabasePedigreeFile,
                                       kMarkerDataFile, kIdsFile};

std::vector<OutputFile> InputFolderFiles(const PreparedPedigree& pedigree,
                                         const FolderTexts& texts) {
  const auto& animals = pedigree.animals;
  const int nd = static_cast<int>(animals.size());
  const int nrac = static_cast<int>(pedigree.breeds.size());

  TextFileWriter passport;
  passport.Write(Layout::Parse("2I5"), {I32(nd), I32(nrac)});
  for (const std::string& line : PassportTextLines({texts.herdbook_name, pedigree.breeds})) {
    WriteText(passport, line, kPassportTextWidth);
  }
  static const Layout kPassport = Layout::Parse("7I5");
  for (int i = 0; i < nd; ++i) {
    const PreparedAnimal& a = animals[i];
    passport.Write(kPassport, {I32(a.family), I32(a.individual), I32(a.father), I32(a.mother),
                               I32(a.breed_code), I32(static_cast<int>(a.sex)), I32(i + 1)});
  }

  TextFileWriter definition;
  WriteText(definition, "Imported herd book", kDefinitionWidth);
  WriteText(definition, texts.marker_file, kDefinitionWidth);
  const std::size_t half = (texts.marker_names.size() + 1) / 2;
  const std::vector<std::string> first(texts.marker_names.begin(),
                                       texts.marker_names.begin() + half);
  const std::vector<std::string> second(texts.marker_names.begin() + half,
                                        texts.marker_names.end());
  WriteText(definition, texts.marker_names.empty() ? "no markers" : JoinedNames(first),
            kDefinitionWidth);
  WriteText(definition, JoinedNames(second), kDefinitionWidth);
  definition.Write(Layout::Parse("I2"), {I32(texts.select)});

  TextFileWriter database;
  database.Write(Layout::Parse("I5"), {I32(nd)});
  static const Layout kDatabase = Layout::Parse("6I5");
  for (int i = 0; i < nd; ++i) {
    const PreparedAnimal& a = animals[i];
    database.Write(kDatabase, {I32(i + 1), I32(a.sire_ini), I32(a.dam_ini), I32(a.breed_code),
                               I32(a.nation), I32(static_cast<int>(a.sex))});
  }

  TextFileWriter markers;
  const int ntr = std::max(1, static_cast<int>(texts.marker_names.size()));
  const int marked = static_cast<int>(std::count_if(
      animals.begin(), animals.end(), [](const PreparedAnimal& a) { return a.has_markers; }));
  OutList header = {I32(marked), I32(ntr)};
  for (int t = 1; t <= ntr; ++t) header.push_back(I32(t));
  markers.Write(Layout::Parse("I5,20I3"), header);
  static const Layout kMarkers = Layout::Parse("20I5");
  for (int i = 0; i < nd; ++i) {
    if (!animals[i].has_markers) continue;
    OutList record = {I32(i + 1)};
    for (int32_t value : animals[i].markers) record.push_back(I32(value));
    markers.Write(kMarkers, record);
  }

  std::vector<IdsRow> ids(animals.size());
  for (int i = 0; i < nd; ++i) {
    const PreparedAnimal& a = animals[i];
    ids[i] = {i + 1,
              a.id,
              a.family,
              a.individual,
              a.added == Added::kParent  ? kAddedParent
              : a.added == Added::kDummy ? kAddedDummy
                                         : "",
              a.note,
              a.born == 0 ? "" : std::to_string(a.born),
              a.parents_cut};
  }

  return {{kImportedFiles[0], passport.bytes()},
          {kImportedFiles[1], definition.bytes()},
          {kImportedFiles[2], database.bytes()},
          {kImportedFiles[3], markers.bytes()},
          {kImportedFiles[4], IdsCsvText(ids, pedigree.has_born)}};
}

}  // namespace pedprep
