#include "records/escape.h"

namespace pedprep {
namespace {

// The length of the well-formed UTF-8 sequence at text[at] (2..4), or 0.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(text[at + k]);
    if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

}  // namespace

std::string EscapeControlBytes(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  auto escape = [&out](unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
  };
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      if (byte >= 0x20 && byte != 0x7F) {
        out += text[at];
      } else {
        escape(byte);
      }
      ++at;
      continue;
    }
    const std::size_t length = Utf8Length(text, at);
    if (length == 0) {
      // A byte outside UTF-8: 0x80..0x9F are controls where the terminal reads single bytes.
      if (byte <= 0x9F) {
        escape(byte);
      } else {
        out += text[at];
      }
      ++at;
    } else if (byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F) {
      escape(byte);  // U+0080..U+009F, the C1 controls
      escape(static_cast<unsigned char>(text[at + 1]));
      at += 2;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
  return out;
}

std::string EscapeMarkup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F) {
          out += "\xEF\xBF\xBD";
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string CutForMessage(std::string_view text) {
  std::size_t characters = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;  // continuation byte
    if (++characters > kMessageTextLength) return std::string(text.substr(0, at)) + "\u2026";
  }
  return std::string(text);
}

}  // namespace pedprep
