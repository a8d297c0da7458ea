// Short texts as the readers and tools compare them: ASCII case folding (bytes above 0x7F and
// the locale play no part) and blanks cut from the ends.
#ifndef PEDPREP_RECORDS_TEXT_CASE_H_
#define PEDPREP_RECORDS_TEXT_CASE_H_

#include <string>
#include <string_view>

namespace pedprep {

// 'A'..'Z' as 'a'..'z'; every other byte as it is.
char AsciiLower(char c);
std::string AsciiLower(std::string_view text);

// `text` without the bytes of `blanks` at its start and end.
std::string_view TrimBlanks(std::string_view text, std::string_view blanks = " \t");

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_TEXT_CASE_H_
