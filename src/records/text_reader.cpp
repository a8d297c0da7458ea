#include "records/text_reader.h"

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "records/byte_order_mark.h"
#include "records/input_error.h"
#include "records/text_case.h"

namespace pedprep {
namespace {

// Digits beyond this magnitude cannot fit any destination; accumulation stops growing
// there so that long digit strings never overflow.
constexpr int64_t kSaturation = int64_t{1} << 40;

struct ParsedInt {
  bool valid = false;
  int64_t value = 0;  // saturated at +-kSaturation
};

// Blanks and TABs anywhere are ignored; an optional sign leads; then decimal digits only.
// Nothing at all is 0; a sign without digits is not a number.
ParsedInt ParseIntField(std::string_view field) {
  ParsedInt result;
  bool negative = false;
  bool seen_sign = false;
  bool seen_digit = false;
  int64_t magnitude = 0;
  for (char c : field) {
    if (c == ' ' || c == '\t') continue;
    if ((c == '+' || c == '-') && !seen_sign && !seen_digit) {
      seen_sign = true;
      negative = (c == '-');
      continue;
    }
    if (c < '0' || c > '9') return result;
    seen_digit = true;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kSaturation) magnitude = kSaturation;
  }
  if (seen_sign && !seen_digit) return result;
  result.valid = true;
  result.value = negative ? -magnitude : magnitude;
  return result;
}

bool FitsTarget(int64_t value, InTarget::Kind kind) {
  switch (kind) {
    case InTarget::Kind::kInt32:
      return value >= INT32_MIN && value <= INT32_MAX;
    case InTarget::Kind::kInt16:
      return value >= -32767 && value <= 32767;
    case InTarget::Kind::kInt8:
      return value >= -127 && value <= 127;
    case InTarget::Kind::kUInt8:
      return value >= 0 && value <= 255;
    case InTarget::Kind::kText:
      break;
  }
  return false;
}

void StoreInt(const InTarget& target, int64_t value) {
  switch (target.kind) {
    case InTarget::Kind::kInt32:
      *static_cast<int32_t*>(target.dest) = static_cast<int32_t>(value);
      break;
    case InTarget::Kind::kInt16:
      *static_cast<int16_t*>(target.dest) = static_cast<int16_t>(value);
      break;
    case InTarget::Kind::kInt8:
      *static_cast<int8_t*>(target.dest) = static_cast<int8_t>(value);
      break;
    case InTarget::Kind::kUInt8:
      *static_cast<uint8_t*>(target.dest) = static_cast<uint8_t>(value);
      break;
    case InTarget::Kind::kText:
      break;
  }
}

}  // namespace

TextReader::TextReader(std::string file_name, std::string contents)
    : file_name_(std::move(file_name)), contents_(std::move(contents)) {
  offset_ = contents_.size() - WithoutByteOrderMark(contents_).size();
}

TextReader TextReader::Open(FileSystem& fs, const std::string& name) {
  std::string contents;
  if (!fs.ReadFile(name, &contents)) throw InputError("open", name, 0, "file not found", "");
  return TextReader(name, std::move(contents));
}

bool TextReader::NextRecord(std::string* record) {
  if (offset_ >= contents_.size()) return false;
  // The record ends at its first CR or LF; the next one starts after the LF. Two searches for
  // one byte each (find_first_of would test every byte against the pair).
  const std::size_t lf = contents_.find('\n', offset_);
  const std::size_t line_end = lf == std::string::npos ? contents_.size() : lf;
  const std::size_t cr = std::string_view(contents_).substr(offset_, line_end - offset_).find('\r');
  record->assign(contents_, offset_, cr == std::string_view::npos ? line_end - offset_ : cr);
  offset_ = lf == std::string::npos ? contents_.size() : lf + 1;
  ++record_number_;
  return true;
}

void TextReader::Read(const Layout& layout, const InList& targets) {
  const std::vector<FieldDesc>& fields = layout.fields();
  if (!targets.empty() && !layout.HasValueFields()) {
    throw std::invalid_argument("targets given to a layout without I or A fields");
  }
  std::string record;
  auto next_record = [&] {
    if (!NextRecord(&record)) {
      throw InputError("read", file_name_, record_number_ + 1, "end of file", "");
    }
  };
  next_record();
  std::size_t pos = 0;  // next column of `record` (0-based)
  std::size_t next_target = 0;
  std::size_t index = 0;
  while (true) {
    if (index == fields.size()) {
      if (next_target == targets.size()) break;
      // Layout used up with targets left: next record, layout from its start.
      next_record();
      pos = 0;
      index = 0;
    }
    const FieldDesc& field = fields[index++];
    if (field.kind == FieldDesc::Kind::kLiteral) continue;
    if (field.kind == FieldDesc::Kind::kSlash) {
      next_record();
      pos = 0;
      continue;
    }
    if (next_target == targets.size()) break;
    const InTarget& target = targets[next_target++];
    const std::size_t width = static_cast<std::size_t>(field.width);
    const std::size_t available = record.size() - pos;
    std::string_view raw = std::string_view(record).substr(pos, std::min(width, available));

    if (field.kind == FieldDesc::Kind::kText) {
      if (target.kind != InTarget::Kind::kText) {
        throw std::invalid_argument("integer target for an A field");
      }
      pos += raw.size();
      std::string_view taken = raw;
      if (width > target.length) {
        std::size_t skip = width - target.length;
        taken = skip < raw.size() ? raw.substr(skip) : std::string_view();
      }
      std::string* dest = static_cast<std::string*>(target.dest);
      dest->assign(taken.substr(0, target.length));
      dest->resize(target.length, ' ');
      continue;
    }

    if (target.kind == InTarget::Kind::kText) {
      throw std::invalid_argument("text target for an I field");
    }
    std::size_t comma = raw.find(',');
    if (comma != std::string_view::npos) {
      raw = raw.substr(0, comma);
      pos += comma + 1;
    } else {
      pos += raw.size();
    }
    ParsedInt parsed = ParseIntField(raw);
    if (!parsed.valid) {
      throw InputError("read", file_name_, record_number_, "not an integer",
                       std::string(TrimBlanks(raw)));
    }
    if (!FitsTarget(parsed.value, target.kind)) {
      throw InputError("read", file_name_, record_number_, "integer out of range",
                       std::string(TrimBlanks(raw)));
    }
    StoreInt(target, parsed.value);
  }
}

}  // namespace pedprep
