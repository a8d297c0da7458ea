#include "records/csv.h"

#include <csv.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

#include "records/input_error.h"

namespace pedprep {
namespace {

constexpr std::size_t kShownTextLength = 60;

// What the libcsv callbacks work on. Exceptions never cross the C library: a failure of
// `on_row` is kept and rethrown once csv_parse has returned.
struct ParseState {
  const std::function<void(const CsvRow&)>* on_row = nullptr;
  CsvRow row;
  std::size_t field_count = 0;  // fields of the row being built (row.fields may hold more)
  long row_start = 0;
  std::exception_ptr failure;
};

void OnField(void* bytes, std::size_t length, void* data) {
  auto* state = static_cast<ParseState*>(data);
  const char* text = bytes != nullptr ? static_cast<const char*>(bytes) : "";
  if (state->field_count < state->row.fields.size()) {
    state->row.fields[state->field_count].assign(text, length);
  } else {
    state->row.fields.emplace_back(text, length);
  }
  ++state->field_count;
}

void OnRowEnd(int, void* data) {
  auto* state = static_cast<ParseState*>(data);
  const std::size_t count = state->field_count;
  state->field_count = 0;
  if (state->failure) return;
  state->row.fields.resize(count);
  state->row.line = state->row_start;
  try {
    (*state->on_row)(state->row);
  } catch (...) {
    state->failure = std::current_exception();
  }
}

constexpr std::size_t kFieldBlockSize = std::size_t{1} << 16;

class Parser {
 public:
  explicit Parser(char delimiter) {
    if (csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI) != 0) throw std::bad_alloc();
    csv_set_delim(&parser_, static_cast<unsigned char>(delimiter));
    // The field buffer grows by this many bytes at a time (128 by default): a megabyte field
    // would be copied thousands of times.
    csv_set_blk_size(&parser_, kFieldBlockSize);
  }
  ~Parser() { csv_free(&parser_); }
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  csv_parser* get() { return &parser_; }
  // True between rows: the next byte given starts a new row (or a blank line).
  bool BetweenRows() const { return parser_.pstate == 0; }

 private:
  csv_parser parser_;
};

std::string ShownLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return std::string(line.substr(0, kShownTextLength));
}

void Fail(csv_parser* parser, const std::string& file_name, long line, std::string_view text,
          const char* problem) {
  const int error = csv_error(parser);
  if (error == CSV_ENOMEM || error == CSV_ETOOBIG) throw std::bad_alloc();
  throw InputError("read", file_name, line, problem, ShownLine(text));
}

}  // namespace

void ParseCsv(std::string_view text, char delimiter, const std::string& file_name,
              const std::function<void(const CsvRow&)>& on_row) {
  text = WithoutByteOrderMark(text);
  Parser parser(delimiter);
  ParseState state;
  state.on_row = &on_row;
  long line = 0;
  std::size_t offset = 0;
  // One line per call, so that every row knows the line it starts on.
  while (offset < text.size()) {
    ++line;
    const void* end = std::memchr(text.data() + offset, '\n', text.size() - offset);
    const std::size_t stop =
        end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - text.data()) + 1
                       : text.size();
    const std::string_view chunk = text.substr(offset, stop - offset);
    if (parser.BetweenRows()) state.row_start = line;
    const std::size_t used =
        csv_parse(parser.get(), chunk.data(), chunk.size(), OnField, OnRowEnd, &state);
    if (state.failure) std::rethrow_exception(state.failure);
    if (used != chunk.size()) Fail(parser.get(), file_name, line, chunk, "malformed quoting");
    offset = stop;
  }
  if (csv_fini(parser.get(), OnField, OnRowEnd, &state) != 0) {
    // The row started on row_start has a quote that is never closed.
    std::size_t begin = 0;
    for (long l = 1; l < state.row_start; ++l) begin = text.find('\n', begin) + 1;
    const std::size_t end = std::min(text.find('\n', begin), text.size());
    Fail(parser.get(), file_name, state.row_start, text.substr(begin, end - begin),
         "quote not closed");
  }
  if (state.failure) std::rethrow_exception(state.failure);
}

std::vector<CsvRow> ParseCsv(std::string_view text, char delimiter, const std::string& file_name) {
  std::vector<CsvRow> rows;
  ParseCsv(text, delimiter, file_name, [&rows](const CsvRow& row) { rows.push_back(row); });
  return rows;
}

char DetectDelimiter(std::string_view text) {
  text = WithoutByteOrderMark(text);
  long tabs = 0, semicolons = 0, commas = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n' || c == '\r') break;
    tabs += c == '\t';
    semicolons += c == ';';
    commas += c == ',';
  }
  if (tabs > 0 && tabs >= semicolons && tabs >= commas) return '\t';
  if (semicolons > 0 && semicolons >= commas) return ';';
  return ',';
}

namespace {

// Appends `field` as CsvField makes it.
void AppendCsvField(std::string_view field, char delimiter, std::string* out) {
  bool plain = field.empty() || (field.front() != ' ' && field.back() != ' ' &&
                                 field.front() != '\t' && field.back() != '\t');
  for (std::size_t k = 0; plain && k < field.size(); ++k) {
    const char c = field[k];
    plain = c != delimiter && c != '"' && c != '\r' && c != '\n';
  }
  if (plain) {
    out->append(field);
    return;
  }
  *out += '"';
  for (char c : field) {
    if (c == '"') *out += '"';
    *out += c;
  }
  *out += '"';
}

}  // namespace

std::string CsvField(std::string_view field, char delimiter) {
  std::string out;
  AppendCsvField(field, delimiter, &out);
  return out;
}

std::string CsvLine(const std::vector<std::string>& fields, char delimiter) {
  std::string out;
  AppendCsvLine(fields, &out, delimiter);
  return out;
}

void AppendCsvLine(const std::vector<std::string>& fields, std::string* out, char delimiter) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) *out += delimiter;
    AppendCsvField(fields[i], delimiter, out);
  }
  *out += "\r\n";
}

}  // namespace pedprep
