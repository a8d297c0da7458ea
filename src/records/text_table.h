// A table of text in aligned columns, as report and its sections print them.
#ifndef PEDPREP_INSPECT_TEXT_TABLE_H_
#define PEDPREP_INSPECT_TEXT_TABLE_H_

#include <ostream>
#include <string>
#include <vector>

namespace pedprep {

// Columns two blanks apart, each as wide as its widest entry: right-aligned, or left-aligned
// where `left` says so; every line indented by two blanks, trailing blanks cut.
class Table {
 public:
  Table(std::vector<std::string> header, std::vector<bool> left);
  void Add(std::vector<std::string> row);
  void Print(std::ostream& out) const;

 private:
  std::vector<bool> left_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_TEXT_TABLE_H_
