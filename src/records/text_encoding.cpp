#include "records/text_encoding.h"

#if !defined(_WIN32)
#include <iconv.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace pedprep {
namespace {

constexpr std::size_t kHead = 1024;  // bytes looked at to tell UTF-16 without a mark

bool EqualsLower(std::string_view text, std::string_view lower) {
  return std::equal(text.begin(), text.end(), lower.begin(), lower.end(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
}

// UTF-16 without a byte-order mark: zeros at one parity only, in at least a quarter of the
// code units of the first kilobyte (Latin text has a zero in almost every unit).
TextEncoding Utf16WithoutMark(std::string_view bytes) {
  const std::size_t head = std::min(bytes.size(), kHead) & ~std::size_t{1};
  std::size_t even = 0, odd = 0;
  for (std::size_t i = 0; i < head; ++i) {
    if (bytes[i] == '\0') ++(i % 2 == 0 ? even : odd);
  }
  if (even == 0 && odd > 0 && 4 * odd >= head / 2) return TextEncoding::kUtf16Le;
  if (odd == 0 && even > 0 && 4 * even >= head / 2) return TextEncoding::kUtf16Be;
  return TextEncoding::kDetect;
}

#if defined(_WIN32)
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

// Windows has no iconv: the conversions ConvertToUtf8 asks for, made as glibc's iconv makes
// them (a unit without a character, the five bytes Windows-1252 leaves undefined and a
// surrogate without its pair included, becomes U+FFFD).
std::string Iconv(std::string_view bytes, const char* from, std::size_t unit) {
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
#else
// `bytes` from `from` to UTF-8; a unit without a character becomes U+FFFD.
std::string Iconv(std::string_view bytes, const char* from, std::size_t unit) {
  iconv_t cd = iconv_open("UTF-8", from);
  // iconv_open says it failed with (iconv_t)-1.
  if (reinterpret_cast<std::intptr_t>(cd) == -1) return std::string(bytes);
  std::string out(bytes.size() + bytes.size() / 2 + 16, '\0');
  // iconv's interface takes non-const input.
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  std::size_t written = 0;
  while (in_left > 0) {
    char* to = out.data() + written;
    std::size_t to_left = out.size() - written;
    const std::size_t done = iconv(cd, &in, &in_left, &to, &to_left);
    written = out.size() - to_left;
    if (done != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: a unit without a character, or cut off at the end.
    if (out.size() - written < 3) out.resize(out.size() * 2);
    std::memcpy(out.data() + written, "\xEF\xBF\xBD", 3);
    written += 3;
    const std::size_t skip = std::min(unit, in_left);
    in += skip;
    in_left -= skip;
  }
  iconv_close(cd);
  out.resize(written);
  return out;
}
#endif

}  // namespace

bool ParseTextEncoding(std::string_view name, TextEncoding* encoding) {
  const std::pair<const char*, TextEncoding> names[] = {
      {"utf-8", TextEncoding::kUtf8},       {"utf8", TextEncoding::kUtf8},
      {"utf-16le", TextEncoding::kUtf16Le}, {"utf-16be", TextEncoding::kUtf16Be},
      {"latin1", TextEncoding::kLatin1},    {"iso-8859-1", TextEncoding::kLatin1},
      {"cp1252", TextEncoding::kCp1252},    {"windows-1252", TextEncoding::kCp1252},
  };
  for (const auto& [known, value] : names) {
    if (EqualsLower(name, known)) {
      *encoding = value;
      return true;
    }
  }
  return false;
}

std::size_t FirstInvalidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size) {
    if (i + 8 <= size) {
      uint64_t word = 0;
      std::memcpy(&word, p + i, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        i += 8;
        continue;
      }
    }
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    uint32_t min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      min = 0x10000;
    } else {
      return i;
    }
    if (i + length > size) return i;
    uint32_t code = c & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return i;
      code = (code << 6) | (p[i + k] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return i;
    i += length;
  }
  return std::string_view::npos;
}

namespace {

// Whether `text` holds one well-formed UTF-8 sequence of two or more bytes.
bool HoldsUtf8Letter(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length != 0 && i + length <= text.size() &&
        FirstInvalidUtf8(text.substr(i, length)) == std::string_view::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string ConvertToUtf8(std::string* bytes, TextEncoding encoding, long* fallback_line) {
  std::string& text = *bytes;
  *fallback_line = 0;
  if (encoding == TextEncoding::kDetect || encoding == TextEncoding::kUtf16Le ||
      encoding == TextEncoding::kUtf16Be) {
    if (text.size() >= 2 && text[0] == '\xFF' && text[1] == '\xFE') {
      encoding = TextEncoding::kUtf16Le;
      text.erase(0, 2);
    } else if (text.size() >= 2 && text[0] == '\xFE' && text[1] == '\xFF') {
      encoding = TextEncoding::kUtf16Be;
      text.erase(0, 2);
    }
  }
  if (encoding == TextEncoding::kDetect) encoding = Utf16WithoutMark(text);
  if (encoding == TextEncoding::kDetect || encoding == TextEncoding::kUtf8) {
    const std::size_t invalid = FirstInvalidUtf8(text);
    if (invalid == std::string::npos) return "";
    const long line = 1 + std::count(text.begin(), text.begin() + static_cast<long>(invalid), '\n');
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(text[invalid]));
    const std::string where = "line " + std::to_string(line) + " is not UTF-8 (byte " + byte + ")";
    if (encoding == TextEncoding::kUtf8) return where;
    // UTF-8 letters elsewhere: one stray byte, not a Windows-1252 text (a binary file, with
    // zero bytes, is left to the reader to name).
    if (text.find('\0') == std::string::npos && HoldsUtf8Letter(text)) {
      return where +
             " though the text is UTF-8 elsewhere; mend the line or name the encoding "
             "with --encoding";
    }
    *fallback_line = line;
    encoding = TextEncoding::kCp1252;
  }
  switch (encoding) {
    case TextEncoding::kUtf16Le:
    case TextEncoding::kUtf16Be:
      if (text.size() % 2 != 0) return "UTF-16 text of odd length";
      text = Iconv(text, encoding == TextEncoding::kUtf16Le ? "UTF-16LE" : "UTF-16BE", 2);
      return "";
    case TextEncoding::kLatin1:
      text = Iconv(text, "ISO-8859-1", 1);
      return "";
    case TextEncoding::kCp1252:
      text = Iconv(text, "CP1252", 1);
      return "";
    default:
      return "";
  }
}

}  // namespace pedprep
