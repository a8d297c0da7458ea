// The fast path of the herd-book reader: delimited text without any double quote split into
// views of its bytes, 16 bytes at a time where SSE2 is there.
#ifndef PEDPREP_IMPORT_PLAIN_SPLIT_H_
#define PEDPREP_IMPORT_PLAIN_SPLIT_H_

#include <bit>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pedprep {

// True when `text` holds no double quote. Such text splits with SplitPlainCsv into exactly
// the rows ParseCsv (records/csv.h) gives (no row then spans lines, and no quoting can be
// malformed), provided the delimiter is neither CR nor LF.
bool IsPlainCsv(std::string_view text);

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

// The rows of text whose fields are separated by runs of blanks and tabs (no quoting), as
// views into `text`, called like SplitPlainCsv: leading and trailing blanks of a line are
// ignored, a line of blanks only is skipped, CR and LF end a record, every LF starts a line.
template <typename OnRow>
long SplitBlankSeparated(std::string_view text, long first_line, OnRow&& on_row) {
  std::vector<std::string_view> fields;
  long line = first_line;
  std::size_t p = 0;
  const std::size_t size = text.size();
  while (p <= size) {
    const char c = p < size ? text[p] : '\n';
    if (c == '\n' || c == '\r') {
      if (!fields.empty()) on_row(line, fields);
      fields.clear();
      line += p < size && c == '\n';
      ++p;
    } else if (c == ' ' || c == '\t') {
      ++p;
    } else {
      const std::size_t begin = p;
      while (p < size && text[p] != ' ' && text[p] != '\t' && text[p] != '\n' && text[p] != '\r') {
        ++p;
      }
      fields.push_back(text.substr(begin, p - begin));
    }
  }
  return line;
}

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_PLAIN_SPLIT_H_
