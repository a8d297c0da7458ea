// Text from user files made safe to print: control bytes cannot break a message line or
// reach the terminal as escape sequences.
#ifndef PEDPREP_RECORDS_ESCAPE_H_
#define PEDPREP_RECORDS_ESCAPE_H_

#include <string>
#include <string_view>

namespace pedprep {

// `text` with every byte below 0x20 and 0x7F written as \xHH (upper-case hex digits); all
// other bytes, UTF-8 sequences included, stay as they are.
std::string EscapeControlBytes(std::string_view text);

// `text` as the character data or an attribute value of HTML or SVG: & < > " ' written as
// entities, control bytes other than TAB, LF and CR as U+FFFD (XML cannot hold them).
std::string EscapeMarkup(std::string_view text);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_ESCAPE_H_
