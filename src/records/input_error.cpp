#include "records/input_error.h"

#include <utility>

namespace pedprep {
namespace {

// Offending text comes from user files and may hold control bytes; they are shown as
// \xNN so the report stays one readable console line.
std::string Printable(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      out += "\\x";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    }
  }
  return out;
}

std::string BuildReport(const std::string& operation, const std::string& file, long record,
                        const std::string& problem, const std::string& text) {
  std::string line = "INPUT ERROR: " + operation + " of " + Printable(file);
  if (record != 0) line += ", record " + std::to_string(record);
  line += ": " + problem;
  if (!text.empty()) line += ": \"" + Printable(text) + "\"";
  return line;
}

}  // namespace

InputError::InputError(std::string operation, std::string file, long record, std::string problem,
                       std::string text)
    : std::runtime_error(BuildReport(operation, file, record, problem, text)),
      operation_(std::move(operation)),
      file_(std::move(file)),
      record_(record),
      problem_(std::move(problem)),
      text_(std::move(text)) {}

std::string InputError::Report() const { return what(); }

}  // namespace pedprep
