#include "records/segmented_writer.h"

#include <cstdint>
#include <stdexcept>
#include <utility>

namespace pedprep {
namespace {

constexpr unsigned char kStartMarker = 0x4B;
constexpr unsigned char kEndMarker = 0x82;
constexpr std::size_t kSegmentBytes = 128;
// Length byte of a full segment that more data follow, and the placeholder of a segment
// whose length is not known yet.
constexpr unsigned char kContinued = 0x81;

// Appends the data bytes of one value: integers little-endian in their element width,
// text as its bytes.
void AppendValueBytes(std::string& out, const OutValue& value) {
  if (value.kind == OutValue::Kind::kText) {
    out += value.text;
    return;
  }
  if (value.bytes < 1 || value.bytes > 8) {
    throw std::invalid_argument("integer value of unsupported width");
  }
  uint64_t bits = static_cast<uint64_t>(value.number);
  for (int i = 0; i < value.bytes; ++i) {
    out.push_back(static_cast<char>(bits & 0xFF));
    bits >>= 8;
  }
}

}  // namespace

void SegmentedWriter::StartFileIfNeeded() {
  if (closed_) throw std::logic_error("segmented file written after Close");
  if (!started_) {
    bytes_.push_back(static_cast<char>(kStartMarker));
    started_ = true;
  }
}

void SegmentedWriter::WriteRecord(const OutList& values) {
  StartFileIfNeeded();
  std::string data;
  for (const OutValue& value : values) AppendValueBytes(data, value);
  std::size_t done = 0;
  while (data.size() - done > kSegmentBytes) {
    bytes_.push_back(static_cast<char>(kContinued));
    bytes_.append(data, done, kSegmentBytes);
    bytes_.push_back(static_cast<char>(kContinued));
    done += kSegmentBytes;
  }
  const char last = static_cast<char>(data.size() - done);
  bytes_.push_back(last);
  bytes_.append(data, done, std::string::npos);
  bytes_.push_back(last);
}

void SegmentedWriter::WriteRecordStreaming(const OutList& values) {
  StartFileIfNeeded();
  std::size_t segment_start = bytes_.size();
  bytes_.push_back(static_cast<char>(kContinued));
  std::size_t in_segment = 0;
  std::string data;
  for (const OutValue& value : values) {
    data.clear();
    AppendValueBytes(data, value);
    for (char byte : data) {
      if (in_segment == kSegmentBytes) {
        // Full segment and more data: close it, open the next one.
        bytes_.push_back(static_cast<char>(kContinued));
        segment_start = bytes_.size();
        bytes_.push_back(static_cast<char>(kContinued));
        in_segment = 0;
      }
      bytes_.push_back(byte);
      ++in_segment;
    }
  }
  bytes_.push_back(static_cast<char>(in_segment));
  bytes_[segment_start] = static_cast<char>(in_segment);
}

std::string SegmentedWriter::Close() {
  StartFileIfNeeded();
  bytes_.push_back(static_cast<char>(kEndMarker));
  closed_ = true;
  return std::move(bytes_);
}

}  // namespace pedprep
