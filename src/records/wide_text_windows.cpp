#include <windows.h>

#include <climits>
#include <cstring>

#include "records/wide_text.h"

namespace pedprep {

bool WidenUtf8(std::string_view utf8, std::wstring* wide) {
  wide->clear();
  if (utf8.empty()) return true;
  if (utf8.find('\0') != std::string_view::npos || utf8.size() > INT_MAX) return false;
  const int size = static_cast<int>(utf8.size());
  const int count =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (count <= 0) return false;
  wide->resize(static_cast<std::size_t>(count));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide->data(), count);
  return true;
}

std::string NarrowToUtf8(std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX / 3) return std::string();
  const int size = static_cast<int>(wide.size());
  const int count =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (count <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(count), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), count, nullptr, nullptr);
  return utf8;
}

std::string WindowsErrorText(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = length > 0 ? NarrowToUtf8(std::wstring_view(text, length)) : "";
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && std::strchr("\r\n. ", message.back()) != nullptr) message.pop_back();
  return message.empty() ? "Windows error " + std::to_string(error) : message;
}

}  // namespace pedprep
