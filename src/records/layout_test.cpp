#include "records/layout.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace pedprep {
namespace {

// Compact description of a parsed layout: I5 A20 'txt' /
std::string Describe(const Layout& layout) {
  std::string out;
  for (const FieldDesc& f : layout.fields()) {
    if (!out.empty()) out += ' ';
    switch (f.kind) {
      case FieldDesc::Kind::kInt:
        out += "I" + std::to_string(f.width);
        break;
      case FieldDesc::Kind::kText:
        out += "A" + std::to_string(f.width);
        break;
      case FieldDesc::Kind::kLiteral:
        out += "'" + f.literal + "'";
        break;
      case FieldDesc::Kind::kSlash:
        out += "/";
        break;
    }
  }
  return out;
}

TEST(LayoutTest, Notation) {
  struct Case {
    const char* notation;
    const char* parsed;
  } cases[] = {
      {"I5,20I3", "I5 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3 I3"},
      {"(3i5)", "I5 I5 I5"},
      {" ( A15, 2I5 ) ", "A15 I5 I5"},
      {"A80", "A80"},
      {"2a1", "A1 A1"},
      {"' ERROR OF NUMERATION: IS=',I3", "' ERROR OF NUMERATION: IS=' I3"},
      {"\"it's\",'say ''hi''', \"a,b/c\"", "'it's' 'say 'hi'' 'a,b/c'"},
      {"I2/I3", "I2 / I3"},
      {"'x',/,/,I1", "'x' / / I1"},
      {"/", "/"},
      {"()", ""},
      {"''", "''"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.notation);
    EXPECT_EQ(Describe(Layout::Parse(c.notation)), c.parsed);
  }
}

TEST(LayoutTest, HasValueFields) {
  EXPECT_TRUE(Layout::Parse("'a',I1").HasValueFields());
  EXPECT_TRUE(Layout::Parse("A1").HasValueFields());
  EXPECT_FALSE(Layout::Parse("'a',/,'b'").HasValueFields());
}

TEST(LayoutTest, MalformedNotationIsRejected) {
  for (const char* bad : {"I", "I0", "0I5", "X5", "I5,", ",I5", "I5,,I3", "I5 I3", "(I5", "'open",
                          "I5)", "A", "5", "99999999999I1", "I99999999999"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(Layout::Parse(bad), std::invalid_argument);
  }
}

}  // namespace
}  // namespace pedprep
