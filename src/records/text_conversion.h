// The one conversion to UTF-8 that differs by platform, implemented twice: iconv on Linux
// (text_conversion_posix.cpp), an own converter of the few encodings asked for on Windows,
// which has no iconv (text_conversion_windows.cpp). Used by records/text_encoding.h only.
#ifndef PEDPREP_RECORDS_TEXT_CONVERSION_H_
#define PEDPREP_RECORDS_TEXT_CONVERSION_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace pedprep {

// `bytes` from the iconv encoding `from` (CP1252, ISO-8859-1, UTF-16LE, UTF-16BE) to UTF-8, read
// in units of `unit` bytes; a unit without a character becomes U+FFFD.
std::string ConvertToUtf8From(std::string_view bytes, const char* from, std::size_t unit);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_TEXT_CONVERSION_H_
