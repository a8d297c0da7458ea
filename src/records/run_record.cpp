#include "records/run_record.h"

#include <charconv>

#include "records/input_error.h"
#include "records/sha256.h"

namespace pedprep {
namespace {

constexpr std::string_view kHeading =
    "# pedprep run record: the files this run read and wrote (size in bytes, SHA-256)";

bool IsHexDigest(std::string_view text) {
  if (text.size() != 64) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// The next blank-delimited word of `line` from `*at`; *at moves past it and one blank.
std::string_view Word(std::string_view line, std::size_t* at) {
  const std::size_t start = *at;
  std::size_t end = line.find(' ', start);
  if (end == std::string_view::npos) end = line.size();
  *at = end < line.size() ? end + 1 : end;
  return line.substr(start, end - start);
}

}  // namespace

const RecordedFile* RunRecord::Find(std::string_view name) const {
  for (const RecordedFile& file : files) {
    if (file.name == name) return &file;
  }
  return nullptr;
}

RecordedFile DescribeFile(RecordedFile::Role role, std::string name, std::string_view bytes) {
  return RecordedFile{role, std::move(name), bytes.size(), Sha256Hex(bytes)};
}

std::string FormatRunRecord(const RunRecord& record) {
  std::string text(kHeading);
  text += "\nversion " + record.version + "\ntime " + record.time + "\n";
  for (const RecordedFile& file : record.files) {
    text += file.role == RecordedFile::Role::kInput ? "input " : "output ";
    text += std::to_string(file.size) + " " + file.sha256 + " " + file.name + "\n";
  }
  return text;
}

RunRecord ParseRunRecord(std::string_view text, const std::string& file_name) {
  RunRecord record;
  long number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    std::size_t at = 0;
    const std::string_view keyword = Word(line, &at);
    if (keyword == "version") {
      record.version = std::string(line.substr(at));
    } else if (keyword == "time") {
      record.time = std::string(line.substr(at));
    } else if (keyword == "input" || keyword == "output") {
      RecordedFile file;
      file.role = keyword == "input" ? RecordedFile::Role::kInput : RecordedFile::Role::kOutput;
      const std::string_view size = Word(line, &at);
      const std::string_view digest = Word(line, &at);
      const auto parsed = std::from_chars(size.data(), size.data() + size.size(), file.size);
      if (parsed.ec != std::errc() || parsed.ptr != size.data() + size.size() ||
          !IsHexDigest(digest) || at >= line.size()) {
        throw InputError("read", file_name, number, "not a file line (role, size, SHA-256, name)",
                         std::string(line.substr(0, 60)));
      }
      file.sha256 = std::string(digest);
      file.name = std::string(line.substr(at));
      record.files.push_back(std::move(file));
    }
  }
  return record;
}

}  // namespace pedprep
