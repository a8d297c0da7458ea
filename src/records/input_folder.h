// The texts of an input folder that `pedprep import` writes and the tools read back: the free
// text lines of PEDIGREE.PRN with the breed legend, and the id map ids.csv. Both sides use
// this one module, so a name written is the name read.
//
// PEDIGREE.PRN's free text lines: after the header record come exactly seven records of at
// most 80 bytes each, which the run reads and ignores. The import fills them in this order:
//   Imported from herd.csv
//   breeds: 1=Angus 2=Hereford 3="Black Pied" 4=Limousin
//   5=Charolais 6=Simmental                      <- the legend goes on while lines start CODE=
//   fields: family individual father mother breed sex ini_id     (when a line is left)
//   ids.csv maps ini_id to the herd book ids                     (when a line is left)
//   (empty records up to seven)
// A legend entry is CODE=NAME; a NAME that is empty or holds a blank, a quote or a control
// byte is written in double quotes, an inner quote doubled. An entry is never split over two
// lines: names that cannot fit the six lines after the title are refused at import.
// Folders written before names were quoted (names without blanks, the legend over one or more
// lines) read as they always did.
//
// ids.csv (RFC 4180, CR LF): a header naming the columns, then one row per initial identifier:
//   ini_id,id,family,individual,added,note[,born]
//   1,Bella,1,1,,
//   2,,1,2,dummy,dummy sire of Bella
// `added` is "parent" (a parent named without a row of its own) or "dummy" (a placeholder for
// an unknown sire or dam); `born` is the birth year, present when the import knew one.
// Readers need only the columns ini_id and id, in any order; others may be missing.
#ifndef PEDPREP_RECORDS_INPUT_FOLDER_H_
#define PEDPREP_RECORDS_INPUT_FOLDER_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "records/file_system.h"

namespace pedprep {

inline constexpr int kPassportTextLines = 7;
inline constexpr std::size_t kPassportTextWidth = 80;

// What the import puts in the free text lines. breeds[k] names breed code k + 1; an empty
// name is left out of the legend.
struct PassportTexts {
  std::string source;  // "herd.csv", or several names
  std::vector<std::string> breeds;
};

// The seven lines, each at most kPassportTextWidth bytes (control bytes become blanks, the
// title is cut). Names must have passed BreedLegendProblem.
std::vector<std::string> PassportTextLines(const PassportTexts& texts);

// Why the legend of `breeds` cannot be written into the free text lines ("" when it can): a
// name too long for one line, or names too many for the six lines after the title.
std::string BreedLegendProblem(const std::vector<std::string>& breeds);

// The free text lines of a passport file's contents: the records after the header, at most
// seven, as many as the file holds (each without its line end).
std::vector<std::string> PassportTextLinesOf(std::string_view passport);

// Data record `i` (from 1) of a passport file's contents as it stands there, without its line
// end: the line after the header and the seven free text lines, lines ending at LF (a CR
// before it dropped); "" when the file holds no such line.
std::string PassportDataLine(std::string_view passport, int i);

// The records of passport file `name` in `folder` after the header, the seven free text lines
// and the ND data records the header announces that hold more than blanks and tabs (read as
// the run reads the file, records/text_reader.h); 0 when the file cannot be read.
int32_t PassportRecordsAfterData(FileSystem& folder, const std::string& name);

// The breed legend of the free text lines: code -> name. It starts after a first word
// "breeds:" and goes on over line ends as long as the words read CODE=NAME; it ends at the
// first other word or at an empty line. An entry's code is one to four digits.
std::map<int32_t, std::string> ReadBreedLegend(const std::vector<std::string>& text_lines);

// One row of ids.csv.
struct IdsRow {
  int32_t ini_id = 0;
  std::string id;
  int32_t family = 0;
  int32_t individual = 0;
  std::string added;  // "", "parent" or "dummy"
  std::string note;
  std::string born;  // the birth year, or ""
  // The parents the import's selection left out ("sire", "dam" or "both"; "" none).
  std::string parents_cut;
  long line = 0;  // the line it was read from (0 when written)
};

inline constexpr const char* kAddedParent = "parent";
inline constexpr const char* kAddedDummy = "dummy";

// ids.csv's bytes for `rows`; the born column is written when `with_born`, the parents_cut
// column after it when a row has parents cut.
std::string IdsCsvText(const std::vector<IdsRow>& rows, bool with_born);

// A fault of ids.csv: its line and what is wrong, as "expected ..., found ...".
struct IdsProblem {
  long line = 0;
  std::string problem;
};

// The rows of ids.csv's contents `text`, by ini_id. Strict: the header must name ini_id and
// id; every row has the header's field count; ini_id is an integer and
// comes once; family and individual, when there, are integers or empty. A faulty row is left
// out and described in `problems` (a faulty header or quoting leaves out everything).
std::map<int32_t, IdsRow> ParseIdsCsv(std::string_view text, std::vector<IdsProblem>* problems);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_INPUT_FOLDER_H_
