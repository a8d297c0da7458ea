#include "import/header_columns.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "records/text_case.h"

namespace pedprep {

const char* const kColumnOptions[kNamedColumns] = {"--id",    "--sire",   "--dam", "--sex",
                                                   "--breed", "--nation", "--born"};

const std::vector<std::string>& KnownColumnNames(HerdbookColumn column) {
  static const std::array<std::vector<std::string>, kNamedColumns> kNames = {{
      {"id", "animal", "individual", "indiv", "ind"},
      {"sire", "father", "fatherid", "father_id", "sire_id", "sireid"},
      {"dam", "mother", "motherid", "mother_id", "dam_id", "damid"},
      {"sex", "gender"},
      {"breed"},
      {"nation"},
      {"born", "birth", "yob", "birth_year", "birthdate"},
  }};
  return kNames[column];
}

std::string HeaderKey(std::string_view text) {
  std::string key;
  for (char c : text) {
    if (c != ' ' && c != '\t') key += AsciiLower(c);
  }
  return key;
}

void FindColumns(const std::vector<std::string_view>& fields, std::vector<SoughtColumn>* columns) {
  const std::size_t count = fields.size();
  for (SoughtColumn& column : *columns) {
    if (column.given.empty()) continue;
    const std::string& given = column.given;
    if (std::all_of(given.begin(), given.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      const std::size_t number = std::stoul(given.substr(0, 9));
      if (number >= 1 && number <= count) column.index = static_cast<int>(number - 1);
      continue;
    }
    for (std::size_t i = 0; i < count && column.index < 0; ++i) {
      if (HeaderKey(fields[i]) == column.names[0]) column.index = static_cast<int>(i);
    }
  }
  // A field may serve several columns: "yob" is the birth column and a marker column.
  for (std::size_t i = 0; i < count; ++i) {
    const std::string header = HeaderKey(fields[i]);
    for (SoughtColumn& column : *columns) {
      if (column.index < 0 && column.given.empty() &&
          std::find(column.names.begin(), column.names.end(), header) != column.names.end()) {
        column.index = static_cast<int>(i);
      }
    }
  }
}

}  // namespace pedprep
