// Text from user files made safe to print: control bytes cannot break a message line or
// reach the terminal as escape sequences.
#ifndef PEDPREP_RECORDS_ESCAPE_H_
#define PEDPREP_RECORDS_ESCAPE_H_

#include <string>
#include <string_view>

namespace pedprep {

// `text` with every control written as \xHH per byte (upper-case hex digits): the bytes
// below 0x20 and 0x7F, the C1 controls U+0080..U+009F (UTF-8 C2 80..C2 9F), and the bytes
// 0x80..0x9F outside a well-formed UTF-8 sequence (controls to a terminal that reads single
// bytes). Every other byte, other UTF-8 sequences and Latin-1 letters included, stays.
std::string EscapeControlBytes(std::string_view text);

// `text` as the character data or an attribute value of HTML or SVG: & < > " ' written as
// entities, control bytes other than TAB, LF and CR as U+FFFD (XML cannot hold them).
std::string EscapeMarkup(std::string_view text);

// At most kMessageTextLength characters (UTF-8 sequences counted as one) of `text`, and "…"
// after a text that was cut: an id or a value inside a message, which may be megabytes long.
inline constexpr std::size_t kMessageTextLength = 60;
std::string CutForMessage(std::string_view text);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_ESCAPE_H_
