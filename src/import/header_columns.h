// The columns of a herd book, found by the names in its header row.
#ifndef PEDPREP_IMPORT_HEADER_COLUMNS_H_
#define PEDPREP_IMPORT_HEADER_COLUMNS_H_

#include <string>
#include <string_view>
#include <vector>

namespace pedprep {

enum HerdbookColumn {
  kIdColumn,
  kSireColumn,
  kDamColumn,
  kSexColumn,
  kBreedColumn,
  kNationColumn,
  kBornColumn
};
inline constexpr int kNamedColumns = 7;
// The option that names each HerdbookColumn.
extern const char* const kColumnOptions[kNamedColumns];

// Known header names of each HerdbookColumn, lower case, the first one the usual one.
const std::vector<std::string>& KnownColumnNames(HerdbookColumn column);

// A header name as compared: lower case, without blanks.
std::string HeaderKey(std::string_view text);

// A column sought in the header row.
struct SoughtColumn {
  std::vector<std::string> names;  // header keys
  bool required;
  std::string given;  // the name or number the user gave ("" = the known names)
  int index = -1;
};

// Sets the index of each column found in `fields`, the header row: a given number (1 = first)
// names a field within the row, a given name the first field whose HeaderKey is its key; the
// others take the first field whose HeaderKey is one of their names. A field may serve several
// columns: "yob" is the birth column and a marker column. A column not found keeps index -1.
void FindColumns(const std::vector<std::string_view>& fields, std::vector<SoughtColumn>* columns);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_HEADER_COLUMNS_H_
