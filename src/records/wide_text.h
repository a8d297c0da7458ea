// UTF-8 inside, UTF-16 at the Windows API: the one conversion between them. Built only on
// Windows (wide_text_windows.cpp), where every name, argument and command crosses it.
#ifndef PEDPREP_RECORDS_WIDE_TEXT_H_
#define PEDPREP_RECORDS_WIDE_TEXT_H_

#include <string>
#include <string_view>

namespace pedprep {

// `utf8` as UTF-16 in *wide. False (and *wide empty) when `utf8` is not valid UTF-8 or holds
// a zero byte: such a text names no file and is no command line.
bool WidenUtf8(std::string_view utf8, std::wstring* wide);
// `wide` as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string NarrowToUtf8(std::wstring_view wide);
// The system's words for a Windows error code (GetLastError), without the closing period.
std::string WindowsErrorText(unsigned long error);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_WIDE_TEXT_H_
