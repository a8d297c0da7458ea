// Writing fixed-column text records.
//
// Output rules: Iw writes the decimal digits (leading '-' when negative) right-justified in
// w columns, or w asterisks when they do not fit. Aw of a string of length len writes
// w - len blanks then the string when w > len, else its first w bytes, unchanged (zero
// bytes included). Output ends after the last value at the first I or A field without a
// value, or at the end of the layout; literal text and '/' met before that point are still
// written. When the layout is used up and values remain, a new record starts and the
// layout starts again from its first descriptor.
#ifndef PEDPREP_RECORDS_TEXT_WRITER_H_
#define PEDPREP_RECORDS_TEXT_WRITER_H_

#include <string>
#include <vector>

#include "records/layout.h"
#include "records/values.h"

namespace pedprep {

// The records (without line endings) that one write of `values` with `layout` makes.
std::vector<std::string> FormatRecords(const Layout& layout, const OutList& values);

// A text file being built in memory: every record followed by CR LF.
class TextFileWriter {
 public:
  void Write(const Layout& layout, const OutList& values);
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_TEXT_WRITER_H_
