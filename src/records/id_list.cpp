#include "records/id_list.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "records/byte_order_mark.h"
#include "records/csv.h"
#include "records/input_error.h"
#include "records/text_case.h"

namespace pedprep {
namespace {

bool Named(const std::string& field, const char* name) {
  const std::string_view wanted(name);
  return std::equal(field.begin(), field.end(), wanted.begin(), wanted.end(),
                    [](char a, char b) { return std::tolower(a) == b; });
}

std::vector<CsvRow> BlankSeparatedRows(std::string_view text) {
  std::vector<CsvRow> rows;
  for (const ListedId& line : ParseIdList(text)) {
    CsvRow row;
    row.line = line.line;
    std::istringstream words(line.id);
    for (std::string word; words >> word;) row.fields.push_back(word);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

std::vector<ListedId> ParseIdList(std::string_view text) {
  std::vector<ListedId> ids;
  text = WithoutByteOrderMark(text);
  long line = 0;
  while (!text.empty()) {
    ++line;
    const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    const std::string_view id = TrimBlanks(text.substr(0, end), " \t\r");
    if (!id.empty()) ids.push_back({line, std::string(id)});
    text.remove_prefix(std::min(end + (text.substr(end, 2) == "\r\n" ? 2 : 1), text.size()));
  }
  return ids;
}

std::vector<ListedPair> ParseIdPairs(std::string_view text, const std::string& file_name) {
  const std::string_view body = WithoutByteOrderMark(text);
  const std::string_view first = body.substr(0, body.find_first_of("\r\n"));
  const bool delimited = first.find_first_of("\t;,") != std::string_view::npos;
  const std::vector<CsvRow> rows =
      delimited ? ParseCsv(text, DetectDelimiter(body), file_name) : BlankSeparatedRows(text);
  std::vector<ListedPair> pairs;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    if (row.fields.size() != 2 || row.fields[0].empty() || row.fields[1].empty()) {
      throw InputError("read", file_name, row.line, "expected two ids, the sire's and the dam's",
                       "");
    }
    if (r == 0 && Named(row.fields[0], "sire") && Named(row.fields[1], "dam")) continue;
    pairs.push_back({row.line, row.fields[0], row.fields[1]});
  }
  return pairs;
}

}  // namespace pedprep
