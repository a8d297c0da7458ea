#include "records/escape.h"

#include <gtest/gtest.h>

namespace pedprep {
namespace {

TEST(EscapeControlBytesTest, ControlsOfBothSetsEscapedLettersKept) {
  struct Case {
    std::string text;
    std::string shown;
  } cases[] = {
      {"DE 01-x", "DE 01-x"},
      {"\x1B]0;title\x07", "\\x1B]0;title\\x07"},
      {"a\r\nb\x7F", "a\\x0D\\x0Ab\\x7F"},
      {"\xC2\x9B"
       "31m",
       "\\xC2\\x9B31m"},                                             // U+009B, the one-byte CSI
      {"\xC2\x80\xC2\x9F\xC2\xA0", "\\xC2\\x80\\xC2\\x9F\xC2\xA0"},  // U+00A0 stays
      {"\x9B"
       "31m\x80",
       "\\x9B31m\\x80"},                     // raw C1 bytes
      {"M\xFCller \xE9", "M\xFCller \xE9"},  // Latin-1 letters stay
      {"Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x90\x84",
       "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x90\x84"},
      {"\xE2\x82", "\xE2\\x82"},  // cut sequence: the stray byte escaped
      {"\xC0\x9B", "\xC0\\x9B"},  // overlong: not UTF-8
      {std::string("a\0b", 3), "a\\x00b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(EscapeControlBytes(c.text), c.shown);
  }
}

TEST(CutForMessageTest, SixtyCharactersKept) {
  const std::string sixty(60, 'x');
  EXPECT_EQ(CutForMessage(sixty), sixty);
  EXPECT_EQ(CutForMessage(sixty + "y"), sixty + "\u2026");
  std::string umlauts;
  for (int i = 0; i < 61; ++i) umlauts += "\xC3\xBC";
  EXPECT_EQ(CutForMessage(umlauts), umlauts.substr(0, 120) + "\u2026");
  EXPECT_EQ(CutForMessage(""), "");
}

}  // namespace
}  // namespace pedprep
