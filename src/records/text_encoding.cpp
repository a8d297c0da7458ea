#include "records/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "records/text_conversion.h"

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
      text =
          ConvertToUtf8From(text, encoding == TextEncoding::kUtf16Le ? "UTF-16LE" : "UTF-16BE", 2);
      return "";
    case TextEncoding::kLatin1:
      text = ConvertToUtf8From(text, "ISO-8859-1", 1);
      return "";
    case TextEncoding::kCp1252:
      text = ConvertToUtf8From(text, "CP1252", 1);
      return "";
    default:
      return "";
  }
}

}  // namespace pedprep
