// The record layer's one failure: an input error (or a file that cannot be written).
// It ends the run: the driver writes Report() on the console and exits with status 2.
#ifndef PEDPREP_RECORDS_INPUT_ERROR_H_
#define PEDPREP_RECORDS_INPUT_ERROR_H_

#include <stdexcept>
#include <string>

namespace pedprep {

class InputError : public std::runtime_error {
 public:
  // operation: "open", "read", "write", "create"; file: the file name as the stage gave it;
  // record: 1-based record number (0 when not applicable); problem: what is wrong;
  // text: the offending text (the field as read, or empty).
  InputError(std::string operation, std::string file, long record, std::string problem,
             std::string text);

  const std::string& operation() const { return operation_; }
  const std::string& file() const { return file_; }
  long record() const { return record_; }
  const std::string& problem() const { return problem_; }
  const std::string& text() const { return text_; }

  // The console line, for example
  //   INPUT ERROR: read of PEDIGREE.PRN, record 12: not an integer: "1x2"
  //   INPUT ERROR: open of DEF.DAT: file not found
  std::string Report() const;

 private:
  std::string operation_, file_;
  long record_;
  std::string problem_, text_;
};

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_INPUT_ERROR_H_
