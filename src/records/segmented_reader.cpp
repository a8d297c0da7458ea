#include "records/segmented_reader.h"

#include <utility>

namespace pedprep {
namespace {

constexpr unsigned char kStartMarker = 0x4B;
constexpr unsigned char kEndMarker = 0x82;
constexpr unsigned char kContinued = 0x81;
constexpr std::size_t kSegmentBytes = 128;
// Bytes a continuation segment takes in the file: two length bytes and its data.
constexpr std::size_t kSegmentSpan = kSegmentBytes + 2;

std::string HexByte(unsigned char byte) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "0x";
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 0xF]);
  return out;
}

class Splitter {
 public:
  Splitter(std::string_view bytes, const std::string& file_name)
      : bytes_(bytes), file_name_(file_name) {}

  std::vector<SegmentedRecord> Split() {
    std::vector<SegmentedRecord> records;
    Expect(kStartMarker, "the start marker 0x4B");
    while (true) {
      if (pos_ == bytes_.size()) Fail("the end marker 0x82 or a record, found the end of the file");
      const unsigned char lead = At(pos_);
      if (lead == kEndMarker) break;
      records.push_back(ReadRecord());
    }
    ++pos_;
    if (pos_ != bytes_.size()) {
      Fail("the end of the file after the end marker 0x82, found " +
           std::to_string(bytes_.size() - pos_) + " more bytes");
    }
    return records;
  }

 private:
  unsigned char At(std::size_t i) const { return static_cast<unsigned char>(bytes_[i]); }

  [[noreturn]] void Fail(const std::string& expected) const {
    throw SegmentedFileError(file_name_, pos_, "expected " + expected);
  }

  void Expect(unsigned char byte, const std::string& what) {
    if (pos_ == bytes_.size()) Fail(what + ", found the end of the file");
    if (At(pos_) != byte) Fail(what + ", found " + HexByte(At(pos_)));
    ++pos_;
  }

  SegmentedRecord ReadRecord() {
    SegmentedRecord record;
    record.offset = pos_;
    for (bool first = true;; first = false) {
      if (pos_ == bytes_.size()) Fail("a segment length byte, found the end of the file");
      const unsigned char length = At(pos_);
      const bool continued = length == kContinued;
      if (!continued && length > kSegmentBytes) {
        Fail(std::string("a segment length byte 0x00..0x80 or 0x81") +
             (first ? " or the end marker 0x82" : "") + ", found " + HexByte(length));
      }
      const std::size_t count = continued ? kSegmentBytes : length;
      ++pos_;
      if (bytes_.size() - pos_ < count) {
        const std::size_t start = pos_;
        pos_ = bytes_.size();
        Fail(std::to_string(count) + " data bytes from byte " + std::to_string(start) + ", found " +
             std::to_string(bytes_.size() - start) + " before the end of the file");
      }
      record.data.append(bytes_.substr(pos_, count));
      pos_ += count;
      Expect(length, "the length byte " + HexByte(length) + " repeated after the segment's data");
      if (!continued) return record;
    }
  }

  std::string_view bytes_;
  const std::string& file_name_;
  std::size_t pos_ = 0;
};

void CheckRange(std::string_view data, std::size_t offset, std::size_t width) {
  if (offset > data.size() || data.size() - offset < width) {
    throw std::out_of_range("value read past the end of a record");
  }
}

uint32_t LoadBits(std::string_view data, std::size_t offset, std::size_t width) {
  CheckRange(data, offset, width);
  uint32_t bits = 0;
  for (std::size_t i = width; i-- > 0;) {
    bits = (bits << 8) | static_cast<unsigned char>(data[offset + i]);
  }
  return bits;
}

}  // namespace

SegmentedFileError::SegmentedFileError(std::string file, std::size_t offset, std::string problem)
    : std::runtime_error(file + ", byte " + std::to_string(offset) + ": " + problem),
      file_(std::move(file)),
      offset_(offset) {}

std::size_t SegmentedRecord::FileOffset(std::size_t index) const {
  return offset + (index / kSegmentBytes) * kSegmentSpan + 1 + index % kSegmentBytes;
}

std::vector<SegmentedRecord> ReadSegmentedFile(std::string_view bytes,
                                               const std::string& file_name) {
  return Splitter(bytes, file_name).Split();
}

int32_t LoadInt32(std::string_view data, std::size_t offset) {
  return static_cast<int32_t>(LoadBits(data, offset, 4));
}

int16_t LoadInt16(std::string_view data, std::size_t offset) {
  return static_cast<int16_t>(static_cast<uint16_t>(LoadBits(data, offset, 2)));
}

int8_t LoadInt8(std::string_view data, std::size_t offset) {
  return static_cast<int8_t>(static_cast<uint8_t>(LoadBits(data, offset, 1)));
}

}  // namespace pedprep
