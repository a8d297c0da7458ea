// A herd book: a delimited table with a header row, read by column names into rows.
//
// Columns are found by header name, ignoring case and surrounding blanks:
//   id    (or animal, individual, indiv)     required
//   sire  (or father, fatherid, father_id)   required
//   dam   (or mother, motherid, mother_id)   required
//   sex, breed, nation                       optional
//   the columns named as markers             required when named
// Other columns are ignored. A field that equals a missing code (ignoring case) counts as
// empty. Values are checked here, one problem per field: sex M/F, male/female, 1/2;
// nation and markers integers in -127..127.
#ifndef PEDPREP_IMPORT_HERDBOOK_H_
#define PEDPREP_IMPORT_HERDBOOK_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pedprep {

// A fault in the data, reported as "FILE:LINE: message" (just "FILE: message" when line is 0).
struct ImportProblem {
  std::string file;
  long line = 0;
  std::string message;
};
std::string FormatProblem(const ImportProblem& problem);

constexpr std::size_t kMaxMarkerColumns = 20;

enum class Sex : int8_t { kUnknown = 0, kMale = 1, kFemale = 2 };

struct HerdbookRow {
  long line = 0;          // 1-based line of the row in the file
  std::string id;         // never a missing code (an empty id is a problem)
  std::string sire, dam;  // empty = unknown
  Sex sex = Sex::kUnknown;
  std::string breed;  // empty = unknown
  int8_t nation = 0;
  bool has_markers = false;                         // at least one marker value given
  std::array<int8_t, kMaxMarkerColumns> markers{};  // by marker column, 0 where empty

  bool operator==(const HerdbookRow& other) const;  // equal data; lines are not compared
};

struct HerdbookFormat {
  char delimiter = 0;                // 0: detected from the header
  std::vector<std::string> missing;  // codes meaning unknown besides "", 0, NA, *, .
  std::vector<std::string> markers;  // marker column names, in order
};

struct Herdbook {
  std::vector<HerdbookRow> rows;  // file order; rows with an empty id or a bad value left out
  long rows_read = 0;             // data rows in the file
  bool has_breed = false;
  bool usable = false;  // the header has every required column
};

// Reads `text` (the contents of the file `name`). Problems go to `problems`; a required
// column missing leaves no rows. Throws InputError on malformed quoting.
Herdbook ReadHerdbook(std::string_view text, const std::string& name, const HerdbookFormat& format,
                      std::vector<ImportProblem>* problems);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_HERDBOOK_H_
