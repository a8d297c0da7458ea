// A herd book: a delimited table with a header row, read by column names into rows.
//
// Columns are found by header name, ignoring case and blanks (or as HerdbookFormat::columns
// names them: a header name, or a number, 1 = first):
//   id    (or animal, individual, indiv, ind)              required
//   sire  (or father, fatherid, father_id, sire_id, sireid)  required
//   dam   (or mother, motherid, mother_id, dam_id, damid)    required
//   sex (or gender), breed, nation                         optional
//   born (or birth, yob, birth_year, birthdate)            optional
//   the columns named as markers                           required when named
// Other columns are ignored. A field that equals a missing code (ignoring case) counts as
// empty. Values are checked here, one problem per field, and the row is kept with the value
// unknown, so that the checks of the whole pedigree still see it: sex M/F, male/female, 1/2
// or a --sex-codes code; nation and the selected marker integers in -127..127, the other
// markers integers in -9999..99999 (the five columns of a marker-file field); born a year
// (a run of 4 digits, or the first 4 of 8: "1990", "1990-05-03", "03.05.1990", "19900503"),
// where a date with month and day names a day that exists ("2003-13-45" is a problem).
// A parent that reads like a code for unknown (ReadsLikeMissingCode) is marked on its row,
// unless HerdbookFormat::parents_as_named.
// A row with fewer fields than the header names, or with more that are not empty, is a
// problem and left out.
#ifndef PEDPREP_IMPORT_HERDBOOK_H_
#define PEDPREP_IMPORT_HERDBOOK_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "import/book_names.h"
#include "import/header_columns.h"
#include "import/import_problem.h"
#include "import/large_vector.h"
#include "records/text_encoding.h"

namespace pedprep {

constexpr std::size_t kMaxMarkerColumns = 20;

enum class Sex : int8_t { kUnknown = 0, kMale = 1, kFemale = 2 };

// One data row. The texts are views into the herd book's text (or into the Herdbook's own
// storage for quoted rows); markers are kept beside the rows (HerdbookRows).
struct HerdbookRow {
  long line = 0;               // 1-based line of the row in the file
  std::string_view id;         // never a missing code (an empty id is a problem)
  std::string_view sire, dam;  // empty = unknown
  std::string_view breed;      // empty = unknown
  uint32_t id_hash = 0;        // low 32 bits of IdHash (import/id_hash.h) of id, sire, dam
                               // (0 for an empty one)
  uint32_t sire_hash = 0;
  uint32_t dam_hash = 0;
  Sex sex = Sex::kUnknown;
  int8_t nation = 0;
  int16_t born = 0;          // year of birth, 0 = unknown
  bool has_markers = false;  // at least one marker value given
  bool faulty = false;       // a value of the row is a problem (and was read as unknown)
  bool sire_word = false;    // sire (dam) reads like a code for unknown (ReadsLikeMissingCode)
  bool dam_word = false;
  int16_t file = 0;  // index of the herd book in Herdbook::files
};

// HerdbookFormat::delimiter for fields separated by runs of blanks and tabs (no quoting).
inline constexpr char kBlankSeparated = ' ';

struct HerdbookFormat {
  char delimiter = 0;                              // 0: detected from the header; kBlankSeparated
  std::vector<std::string> missing;                // codes meaning unknown besides "", 0, NA, *, .
  std::vector<std::string> markers;                // marker column names, in order
  std::array<std::string, kNamedColumns> columns;  // a header name or 1-based number; "" = known
  std::vector<std::pair<std::string, Sex>> sex_codes;  // checked before the built-in codes
  std::size_t selected_marker = 0;                     // 0-based: the one the run takes
  std::string id_prefix;          // put before every id, sire and dam read (books with local ids)
  std::string book_breed;         // the breed of a row without one ("" = none)
  bool parents_as_named = false;  // parents that read like missing codes are not marked
  // Marker values replaced before they are checked: (marker index, value as read, value).
  struct Recode {
    std::size_t marker = 0;
    std::string from, to;
  };
  std::vector<Recode> recodes;
};

// Whether a value reads like a code for an unknown animal in some herd book (any letter
// case): unknown, unk, na, n/a, none, null, nil, missing, unbekannt, inconnu, desconocido and
// the like, runs of 0, ?, -, . or *, and negative numbers.
bool ReadsLikeMissingCode(std::string_view value);

// Rows in file order and their marker values (marker_count a row, 0 where empty).
struct HerdbookRows {
  LargeVector<HerdbookRow> rows;
  LargeVector<int32_t> markers;
};

// The rows of a herd book. Views in the rows point into the text given to ReadHerdbook,
// which must outlive the Herdbook, or into `storage`. Not copyable (the views would dangle
// into the original's storage). The rows are kept in two blocks, one for each half of the
// file read on its own thread; Row(r) numbers them through.
struct Herdbook {
  Herdbook() = default;
  Herdbook(Herdbook&&) = default;
  Herdbook& operator=(Herdbook&&) = default;
  Herdbook(const Herdbook&) = delete;
  Herdbook& operator=(const Herdbook&) = delete;

  // Rows with an empty id or a bad value are left out.
  std::size_t RowCount() const { return head.rows.size() + tail.rows.size(); }
  const HerdbookRow& Row(std::size_t r) const {
    return r < head.rows.size() ? head.rows[r] : tail.rows[r - head.rows.size()];
  }
  // The marker_count values of row r.
  const int32_t* Markers(std::size_t r) const {
    return r < head.rows.size() ? head.markers.data() + r * marker_count
                                : tail.markers.data() + (r - head.rows.size()) * marker_count;
  }
  // Equal data (id, parents, sex, breed, nation, markers); lines are not compared.
  bool SameData(std::size_t a, std::size_t b) const;

  HerdbookRows head, tail;
  std::size_t marker_count = 0;    // marker columns read (at most kMaxMarkerColumns)
  long rows_read = 0;              // data rows in the file
  std::vector<long> marker_zeros;  // by marker column: fields "0" read as no value
  bool has_breed = false;
  bool has_born = false;                         // a birth column was found
  bool usable = false;                           // the header has every required column
  std::vector<std::string> files;                // names of the herd books read, by row.file
  std::vector<std::unique_ptr<char[]>> storage;  // bytes of unescaped quoted fields

  // Adds the rows of `other` (read with the same format) after these; their views stay valid.
  void Append(Herdbook&& other);
};

// Makes the bytes of a herd-book file readable text in place: converted to UTF-8 from
// `encoding` (see ConvertToUtf8 of records/text_encoding.h: detected by default, with
// `*fallback_line` the first line that made it Windows-1252), and a CR not followed by LF
// becomes LF (so that lines are counted as the user sees them). Returns "" or why the file
// is no text (a spreadsheet workbook, told before any conversion; a zero byte in its first
// kilobyte; a UTF-16 text of odd length).
std::string MakeHerdbookText(std::string* bytes, TextEncoding encoding, long* fallback_line);

// The separator detected from the header line: the most frequent of TAB, ';', ',' and '|'
// outside quotes (TAB first on a tie); kBlankSeparated when there is none of them but blanks
// between words; ',' otherwise.
char DetectHerdbookDelimiter(std::string_view text);

// Reads `text` (the contents of the file `name`; it must outlive the result; see
// MakeHerdbookText). Problems go to `problems` in line order; a required column missing
// leaves no rows. Throws InputError on malformed quoting. Text without any quote is split on
// two threads when it is large. The rows get `file_index` as their file.
Herdbook ReadHerdbook(std::string_view text, const std::string& name, const HerdbookFormat& format,
                      std::vector<ImportProblem>* problems, int file_index = 0);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_HERDBOOK_H_
