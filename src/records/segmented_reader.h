// Reading segmented binary files: the counterpart of SegmentedWriter (segmented_writer.h
// draws the bytes). A file is
//
//   0x4B, then records, then 0x82 as its last byte.
//   record: zero or more continuation segments 0x81, 128 data bytes, 0x81, then one last
//           segment n, n data bytes, n with n in 0..128.
//
// Every other byte sequence is a fault, reported with the file name and the byte offset
// (0-based, from the start of the file) at which the expected byte was missing.
#ifndef PEDPREP_RECORDS_SEGMENTED_READER_H_
#define PEDPREP_RECORDS_SEGMENTED_READER_H_

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pedprep {

// A framing fault, or a record whose contents do not fit what the caller expects.
// what() is the report line, for example
//   PEDIGREE, byte 133: expected the length byte 0x81 repeated after the segment's data,
//   found 0x7F
class SegmentedFileError : public std::runtime_error {
 public:
  SegmentedFileError(std::string file, std::size_t offset, std::string problem);

  const std::string& file() const { return file_; }
  std::size_t offset() const { return offset_; }

 private:
  std::string file_;
  std::size_t offset_;
};

// One record: its data bytes without the framing, and where it lies in the file.
struct SegmentedRecord {
  std::string data;
  std::size_t offset = 0;  // offset of the record's first length byte

  // Offset in the file of data byte `index` (< data.size()). Valid because every segment
  // but the last holds exactly 128 data bytes.
  std::size_t FileOffset(std::size_t index) const;
};

// Splits a whole file into its records. Throws SegmentedFileError on the first fault.
// `file_name` is used in reports only.
std::vector<SegmentedRecord> ReadSegmentedFile(std::string_view bytes,
                                               const std::string& file_name);

// Little-endian two's complement values inside record data. `offset` + the value's width
// must not pass the end of `data`; otherwise std::out_of_range is thrown.
int32_t LoadInt32(std::string_view data, std::size_t offset);
int16_t LoadInt16(std::string_view data, std::size_t offset);
int8_t LoadInt8(std::string_view data, std::size_t offset);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_SEGMENTED_READER_H_
