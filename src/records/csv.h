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

#include <bit>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "records/byte_order_mark.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// True when `text` holds no double quote. Such text splits with SplitPlainCsv into exactly
// the rows ParseCsv gives (no row then spans lines, and no quoting can be malformed),
// provided the delimiter is neither CR nor LF.
inline bool IsPlainCsv(std::string_view text) {
  return text.empty() || std::memchr(text.data(), '"', text.size()) == nullptr;
}

// The rows of text without any '"' (see IsPlainCsv), as views into `text`: calls
// on_row(line, fields) for every row in order, `fields` a std::vector<std::string_view>
// valid during the call. The first byte of `text` is on line `first_line`; every LF starts
// a new line. A record ends at LF or CR; its fields are the bytes between delimiters with
// blanks (space, and TAB unless TAB is the delimiter) trimmed; a record of blanks only is
// skipped. A byte-order mark is not skipped here (see WithoutByteOrderMark). Returns the
// line after the last one (first_line + the number of LF in `text`).
template <typename OnRow>
long SplitPlainCsv(std::string_view text, char delimiter, long first_line, OnRow&& on_row) {
  const bool tab_is_blank = delimiter != '\t';
  const bool space_is_blank = delimiter != ' ';
  std::vector<std::string_view> fields;
  long line = first_line;
  const char* const end = text.data() + text.size();
  const char* field = text.data();
  // Ends the field before `at`; at a line end, the record too.
  auto separator = [&](const char* at) {
    const char* first = field;
    const char* last = at;
    auto blank = [=](char c) {
      return (c == ' ' && space_is_blank) || (c == '\t' && tab_is_blank);
    };
    while (first < last && blank(*first)) ++first;
    while (last > first && blank(last[-1])) --last;
    fields.emplace_back(first, static_cast<std::size_t>(last - first));
    field = at + 1;
    if (at == end || *at == '\r' || *at == '\n') {
      if (fields.size() > 1 || !fields[0].empty()) on_row(line, fields);
      fields.clear();
      line += at != end && *at == '\n';
    }
  };
  const char* p = text.data();
#if defined(__SSE2__)
  // 16 bytes at a time: a bit for each delimiter, CR and LF.
  const __m128i delimiters = _mm_set1_epi8(delimiter);
  const __m128i crs = _mm_set1_epi8('\r');
  const __m128i lfs = _mm_set1_epi8('\n');
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, delimiters), _mm_cmpeq_epi8(bytes, crs)),
                     _mm_cmpeq_epi8(bytes, lfs))));
    while (mask != 0) {
      separator(p + std::countr_zero(mask));
      mask &= mask - 1;
    }
  }
#endif
  for (; p < end; ++p) {
    if (*p == delimiter || *p == '\r' || *p == '\n') separator(p);
  }
  separator(end);
  return line;
}

// The delimiter of a table judged from its first line: the most frequent of TAB, ';' and ','
// outside quotes (ties in that order); ',' when the line holds none of them.
char DetectDelimiter(std::string_view text);

// One field as RFC 4180 output: enclosed in quotes (inner quotes doubled) only when it holds
// the delimiter, a quote, CR or LF, or starts or ends with a blank.
std::string CsvField(std::string_view field, char delimiter = ',');

// A whole record: the fields joined by the delimiter, followed by CR LF.
std::string CsvLine(const std::vector<std::string>& fields, char delimiter = ',');

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_CSV_H_
