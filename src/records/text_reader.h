// Reading fixed-column text records.
//
// A record ends at the first CR or LF byte; the reader then skips to just after the next LF,
// so CR LF and bare LF endings both work. A UTF-8 byte-order mark (EF BB BF) at the start of
// the text is skipped. Every Read starts at the beginning of a new record
// and skips whatever is left of the last record it used.
#ifndef PEDPREP_RECORDS_TEXT_READER_H_
#define PEDPREP_RECORDS_TEXT_READER_H_

#include <string>

#include "records/file_system.h"
#include "records/layout.h"
#include "records/values.h"

namespace pedprep {

class TextReader {
 public:
  // `file_name` is used in error reports only.
  TextReader(std::string file_name, std::string contents);
  // Opens `name` through `fs`; a missing file throws InputError("open", ...).
  static TextReader Open(FileSystem& fs, const std::string& name);

  // Reads values into `targets` with `layout`: integer fields by the Iw rules (blanks and
  // TABs ignored, optional sign, comma ends a field early, empty = 0, range of the
  // destination), text fields by the Aw rules. When the layout is used up and targets
  // remain, the next record is read and the layout starts again. Throws InputError on a
  // read past the last record (its record number is that of the missing record), a
  // malformed field or a value out of range (record number of the field's record, text of
  // the field without surrounding blanks). A read always uses at least one record.
  void Read(const Layout& layout, const InList& targets);

  // Number of records consumed so far.
  long records_read() const { return record_number_; }

 private:
  bool NextRecord(std::string* record);

  std::string file_name_;
  std::string contents_;
  std::size_t offset_ = 0;
  long record_number_ = 0;
};

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_TEXT_READER_H_
