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

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "import/large_vector.h"

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
  bool has_markers = false;  // at least one marker value given
};

struct HerdbookFormat {
  char delimiter = 0;                // 0: detected from the header
  std::vector<std::string> missing;  // codes meaning unknown besides "", 0, NA, *, .
  std::vector<std::string> markers;  // marker column names, in order
};

// Rows in file order and their marker values (marker_count a row, 0 where empty).
struct HerdbookRows {
  LargeVector<HerdbookRow> rows;
  LargeVector<int8_t> markers;
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
  const int8_t* Markers(std::size_t r) const {
    return r < head.rows.size() ? head.markers.data() + r * marker_count
                                : tail.markers.data() + (r - head.rows.size()) * marker_count;
  }
  // Equal data (id, parents, sex, breed, nation, markers); lines are not compared.
  bool SameData(std::size_t a, std::size_t b) const;

  HerdbookRows head, tail;
  std::size_t marker_count = 0;  // marker columns read (at most kMaxMarkerColumns)
  long rows_read = 0;            // data rows in the file
  bool has_breed = false;
  bool usable = false;                           // the header has every required column
  std::vector<std::unique_ptr<char[]>> storage;  // bytes of unescaped quoted fields
};

// Reads `text` (the contents of the file `name`; it must outlive the result). Problems go to
// `problems` in line order; a required column missing leaves no rows. Throws InputError on
// malformed quoting. Text without any quote is split on two threads when it is large.
Herdbook ReadHerdbook(std::string_view text, const std::string& name, const HerdbookFormat& format,
                      std::vector<ImportProblem>* problems);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_HERDBOOK_H_
