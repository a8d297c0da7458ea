// The encodings of text files people export, converted to UTF-8 with iconv.
#ifndef PEDPREP_RECORDS_TEXT_ENCODING_H_
#define PEDPREP_RECORDS_TEXT_ENCODING_H_

#include <string>
#include <string_view>

namespace pedprep {

enum class TextEncoding { kDetect, kUtf8, kUtf16Le, kUtf16Be, kLatin1, kCp1252 };

// The names --encoding takes, in the help's order: utf-8, utf-16le, utf-16be, latin1, cp1252.
inline constexpr const char* kEncodingNames[] = {"utf-8", "utf-16le", "utf-16be", "latin1",
                                                 "cp1252"};

// One of kEncodingNames (any letter case; also utf8, iso-8859-1, windows-1252); false when
// the name is none of them.
bool ParseTextEncoding(std::string_view name, TextEncoding* encoding);

// Converts `bytes` to UTF-8 in place. A UTF-16 byte-order mark is dropped. kDetect reads a
// UTF-16 byte-order mark, or zero bytes in every second byte (and only there) of the first
// kilobyte, as UTF-16 of that order; else text that is valid UTF-8 stays as it is, text that
// holds UTF-8 letters and a byte that is not UTF-8 is refused (one stray byte in a UTF-8
// text), and other text is read as Windows-1252 with `*fallback_line` set to the 1-based line
// of the first byte that is not UTF-8 (0 when there is none). kUtf8 leaves valid UTF-8 as it
// is. A byte (or UTF-16 unit) that has no character becomes U+FFFD. Returns "" or why the
// bytes are no text of the encoding (UTF-16 of odd length; "line 3 is not UTF-8 (byte 0xE4)").
std::string ConvertToUtf8(std::string* bytes, TextEncoding encoding, long* fallback_line);

// The offset of the first byte of `text` that is not part of valid UTF-8, or npos.
std::size_t FirstInvalidUtf8(std::string_view text);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_TEXT_ENCODING_H_
