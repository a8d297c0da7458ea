#include "records/layout.h"

#include <cctype>
#include <stdexcept>

namespace pedprep {
namespace {

// Repeat counts and widths above this are taken as a typing error in the layout text.
constexpr long kMaxCount = 1000000;

class LayoutParser {
 public:
  explicit LayoutParser(std::string_view text) : text_(text) {}

  std::vector<FieldDesc> Parse() {
    SkipBlanks();
    std::size_t end = text_.size();
    while (end > pos_ && std::isspace(static_cast<unsigned char>(text_[end - 1]))) --end;
    text_ = text_.substr(0, end);
    if (pos_ < text_.size() && text_[pos_] == '(') {
      if (text_.back() != ')') Fail("unbalanced parenthesis");
      text_ = text_.substr(0, text_.size() - 1);
      ++pos_;
    }
    // Items are separated by commas; '/' separates on its own as well.
    bool need_item = false;
    while (true) {
      SkipBlanks();
      if (pos_ >= text_.size()) {
        if (need_item) Fail("missing descriptor after ','");
        break;
      }
      char c = text_[pos_];
      if (c == '/') {
        fields_.push_back(FieldDesc{FieldDesc::Kind::kSlash, 0, {}});
        ++pos_;
        need_item = false;
        continue;
      }
      if (c == ',') {
        if (fields_.empty() && !need_item) Fail("leading ','");
        if (need_item) Fail("empty descriptor");
        ++pos_;
        need_item = true;
        continue;
      }
      ParseItem();
      need_item = false;
      SkipBlanks();
      if (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '/') {
        Fail("missing ',' between descriptors");
      }
    }
    return std::move(fields_);
  }

 private:
  [[noreturn]] void Fail(const char* why) const {
    throw std::invalid_argument(std::string("layout \"") + std::string(text_) + "\": " + why);
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }

  bool AtDigit() const {
    return pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]));
  }

  long Number() {
    long n = 0;
    while (AtDigit()) {
      n = n * 10 + (text_[pos_] - '0');
      if (n > kMaxCount) Fail("number too large");
      ++pos_;
    }
    return n;
  }

  void ParseItem() {
    char c = text_[pos_];
    if (c == '\'' || c == '"') {
      ParseLiteral(c);
      return;
    }
    long count = 1;
    if (AtDigit()) {
      count = Number();
      if (count < 1) Fail("repeat count must be at least 1");
    }
    if (pos_ >= text_.size()) Fail("missing descriptor");
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_])));
    FieldDesc::Kind kind;
    if (letter == 'I') {
      kind = FieldDesc::Kind::kInt;
    } else if (letter == 'A') {
      kind = FieldDesc::Kind::kText;
    } else {
      Fail("unknown descriptor");
    }
    ++pos_;
    if (!AtDigit()) Fail("missing field width");
    long width = Number();
    if (width < 1) Fail("field width must be at least 1");
    for (long i = 0; i < count; ++i) {
      fields_.push_back(FieldDesc{kind, static_cast<int>(width), {}});
    }
  }

  // 'text' or "text"; the quote itself is written doubled inside.
  void ParseLiteral(char quote) {
    ++pos_;
    std::string literal;
    while (true) {
      if (pos_ >= text_.size()) Fail("unterminated literal");
      char c = text_[pos_++];
      if (c == quote) {
        if (pos_ < text_.size() && text_[pos_] == quote) {
          literal.push_back(quote);
          ++pos_;
          continue;
        }
        break;
      }
      literal.push_back(c);
    }
    fields_.push_back(FieldDesc{FieldDesc::Kind::kLiteral, 0, std::move(literal)});
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::vector<FieldDesc> fields_;
};

}  // namespace

Layout Layout::Parse(std::string_view notation) {
  Layout layout;
  layout.fields_ = LayoutParser(notation).Parse();
  return layout;
}

bool Layout::HasValueFields() const {
  for (const FieldDesc& f : fields_) {
    if (f.kind == FieldDesc::Kind::kInt || f.kind == FieldDesc::Kind::kText) return true;
  }
  return false;
}

}  // namespace pedprep
