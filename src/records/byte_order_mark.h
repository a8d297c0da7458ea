// The UTF-8 byte-order mark (EF BB BF) that some editors put at the start of a text file.
// Every reader of text input skips it.
#ifndef PEDPREP_RECORDS_BYTE_ORDER_MARK_H_
#define PEDPREP_RECORDS_BYTE_ORDER_MARK_H_

#include <string_view>

namespace pedprep {

// `text` without a leading UTF-8 byte-order mark.
inline std::string_view WithoutByteOrderMark(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  return text;
}

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_BYTE_ORDER_MARK_H_
