// Record layouts: an ordered list of field descriptors.
//
// Notation (descriptors separated by commas, optional outer parentheses):
//   Iw     signed integer field of w columns      nIw   n such fields
//   Aw     text field of w columns                nAw   n such fields
//   'txt'  literal text (output only); "txt" works too
//   /      end the current record and start the next one
// Example: Layout::Parse("I5,20I3"), Layout::Parse("' ERROR OF NUMERATION: IS=',I3").
#ifndef PEDPREP_RECORDS_LAYOUT_H_
#define PEDPREP_RECORDS_LAYOUT_H_

#include <string>
#include <string_view>
#include <vector>

namespace pedprep {

struct FieldDesc {
  enum class Kind { kInt, kText, kLiteral, kSlash };
  Kind kind;
  int width = 0;        // kInt, kText
  std::string literal;  // kLiteral
};

class Layout {
 public:
  // Parses the notation above. A malformed layout is a programming error: throws
  // std::invalid_argument.
  static Layout Parse(std::string_view notation);

  const std::vector<FieldDesc>& fields() const { return fields_; }
  // True when the layout has at least one I or A field.
  bool HasValueFields() const;

 private:
  std::vector<FieldDesc> fields_;
};

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_LAYOUT_H_
