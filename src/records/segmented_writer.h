// Segmented binary files, read byte by byte by the analysis program.
//
//   offset 0   0x4B                       start marker, before the first record
//   then       each record as segments:   while more than 128 data bytes remain:
//                                           0x81, 128 data bytes, 0x81
//                                         last segment (0..128 bytes, never empty unless
//                                         the record is empty): n, n data bytes, n
//   end        0x82                       end marker, written by Close()
//
// Data bytes are the values in order without padding: 32-bit as 4 bytes, 16-bit as 2 bytes,
// little-endian two's complement, 8-bit as 1 byte. Example: one record holding the 32-bit 3
// and the 16-bit 1, 2, 3 is 4B 0A 03 00 00 00 01 00 02 00 03 00 0A 82.
#ifndef PEDPREP_RECORDS_SEGMENTED_WRITER_H_
#define PEDPREP_RECORDS_SEGMENTED_WRITER_H_

#include <string>

#include "records/values.h"

namespace pedprep {

class SegmentedWriter {
 public:
  // Writes one record whose length (the sum of the value sizes) is known before the first
  // byte. Text values are copied as their bytes.
  void WriteRecord(const OutList& values);
  // Writes one record whose length is found only when the list ends: the first length
  // byte of each segment is written as 129 and patched. Same bytes as WriteRecord.
  void WriteRecordStreaming(const OutList& values);
  // Appends the end marker and returns the file's bytes. The writer is then finished:
  // any further call throws std::logic_error. A file without records still gets its
  // start marker: 4B 82.
  std::string Close();

 private:
  void StartFileIfNeeded();
  std::string bytes_;
  bool started_ = false;
  bool closed_ = false;
};

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_SEGMENTED_WRITER_H_
