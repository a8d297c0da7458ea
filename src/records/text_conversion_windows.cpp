#include "records/text_conversion.h"

namespace pedprep {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

// Windows has no iconv: the conversions ConvertToUtf8 asks for, made as glibc's iconv makes
// them (a unit without a character, the five bytes Windows-1252 leaves undefined and a
// surrogate without its pair included, becomes U+FFFD).
std::string ConvertToUtf8From(std::string_view bytes, const char* from, std::size_t unit) {
  static constexpr char32_t kCp1252[32] = {
      0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  const std::string_view name = from;
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  if (unit == 1) {
    for (char byte : bytes) {
      const auto c = static_cast<unsigned char>(byte);
      AppendUtf8(out, name == "CP1252" && c >= 0x80 && c < 0xA0 ? kCp1252[c - 0x80] : c);
    }
    return out;
  }
  const bool little = name == "UTF-16LE";
  auto at = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return little ? (b << 8 | a) : (a << 8 | b);
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char32_t c = at(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && at(i + 2) >= 0xDC00 &&
        at(i + 2) < 0xE000) {
      AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (at(i + 2) - 0xDC00));
      i += 2;
    } else {
      AppendUtf8(out, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
    }
  }
  if (bytes.size() % 2 != 0) AppendUtf8(out, 0xFFFD);
  return out;
}

}  // namespace pedprep
