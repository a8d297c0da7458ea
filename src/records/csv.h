// Delimited text (RFC 4180): parsing rows with their line numbers, and quoting fields.
//
// Input rules: fields are separated by `delimiter` (',', ';', TAB, ...); a field may be
// enclosed in double quotes, inside which the delimiter, CR and LF are ordinary bytes and a
// doubled quote stands for one quote. Records end at CR LF, LF or CR; blank lines are
// skipped; a leading UTF-8 byte-order mark (EF BB BF) is skipped. Blanks (space, TAB unless
// TAB is the delimiter) around an unquoted field are dropped; a quoted field keeps them.
// Example, delimiter ',':
//   id,name\r\n            -> line 1: {"id", "name"}
//   7,"Ann ""A"", jr"\n    -> line 2: {"7", "Ann \"A\", jr"}
//   8,"two\nlines"\n       -> line 3: {"8", "two\nlines"}   (the next row is line 5)
#ifndef PEDPREP_RECORDS_CSV_H_
#define PEDPREP_RECORDS_CSV_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "records/byte_order_mark.h"

namespace pedprep {

// One parsed row: the 1-based line number of the line where the row starts, and its fields.
struct CsvRow {
  long line = 0;
  std::vector<std::string> fields;
};

// Calls `on_row` for every row in order; the row it gets is valid only during the call.
// Throws InputError("read", file_name, line, problem, text) on malformed quoting (a quote
// inside an unquoted field, text after a closing quote, a quote never closed); `line` is
// the line where the fault was found (for a quote never closed: where its row starts),
// `text` that line (at most 60 bytes).
void ParseCsv(std::string_view text, char delimiter, const std::string& file_name,
              const std::function<void(const CsvRow&)>& on_row);

// All rows at once, same rules.
std::vector<CsvRow> ParseCsv(std::string_view text, char delimiter, const std::string& file_name);

// The delimiter of a table judged from its first line: the most frequent of TAB, ';' and ','
// outside quotes (ties in that order); ',' when the line holds none of them.
char DetectDelimiter(std::string_view text);

// One field as RFC 4180 output: enclosed in quotes (inner quotes doubled) only when it holds
// the delimiter, a quote, CR or LF, or starts or ends with a blank.
std::string CsvField(std::string_view field, char delimiter = ',');

// A whole record: the fields joined by the delimiter, followed by CR LF.
std::string CsvLine(const std::vector<std::string>& fields, char delimiter = ',');
// CsvLine appended to `out`.
void AppendCsvLine(const std::vector<std::string>& fields, std::string* out, char delimiter = ',');

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_CSV_H_
