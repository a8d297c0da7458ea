#include "records/text_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace pedprep {
namespace {

using Records = std::vector<std::string>;

TEST(TextWriterTest, IntegerFields) {
  struct Case {
    const char* layout;
    int64_t value;
    const char* expected;
  } cases[] = {
      {"I5", 12, "   12"},     {"I5", -12, "  -12"},
      {"I5", 0, "    0"},      {"I5", 99999, "99999"},
      {"I5", 100000, "*****"}, {"I5", -9999, "-9999"},
      {"I5", -10000, "*****"}, {"I1", 7, "7"},
      {"I1", -1, "*"},         {"I11", -2147483648, "-2147483648"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout + std::to_string(c.value));
    EXPECT_EQ(FormatRecords(Layout::Parse(c.layout), {I32(static_cast<int32_t>(c.value))}),
              Records{c.expected});
  }
}

TEST(TextWriterTest, TextFields) {
  EXPECT_EQ(FormatRecords(Layout::Parse("A15"), {Str("NI1,2,IV,LBA")}), Records{"   NI1,2,IV,LBA"});
  EXPECT_EQ(FormatRecords(Layout::Parse("A3"), {Str("abcdef")}), Records{"abc"});
  EXPECT_EQ(FormatRecords(Layout::Parse("A6"), {Str("abcdef")}), Records{"abcdef"});
  const std::string with_zeros("ab\0\0c", 5);
  EXPECT_EQ(FormatRecords(Layout::Parse("A5"), {Str(with_zeros)}), Records{with_zeros});
}

TEST(TextWriterTest, ReversionAndEndOfOutput) {
  OutList values;
  for (int i = 1; i <= 25; ++i) values.push_back(I32(i));
  Records records = FormatRecords(Layout::Parse("(20i5)"), values);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].size(), 100u);
  EXPECT_EQ(records[1], "   21   22   23   24   25");

  EXPECT_EQ(FormatRecords(Layout::Parse("20I5"), {I32(7)}), Records{"    7"});
  // Literals before the first field without a value are written, later ones are not.
  EXPECT_EQ(FormatRecords(Layout::Parse("'a=',I2,' b=',I2,' end'"), {I32(1)}), Records{"a= 1 b="});
  EXPECT_EQ(FormatRecords(Layout::Parse("'a=',I2,' end'"), {I32(1), I32(2)}),
            (Records{"a= 1 end", "a= 2 end"}));
  EXPECT_EQ(FormatRecords(Layout::Parse("I5"), {}), Records{""});
}

TEST(TextWriterTest, SlashAndLiteralOnlyLayouts) {
  EXPECT_EQ(FormatRecords(Layout::Parse("' abc',/,'',/,' d''e'"), {}),
            (Records{" abc", "", " d'e"}));
  // Literals and '/' after the last value run to the end of the layout.
  const std::string stars = " " + std::string(37, '*') + "  ";
  Layout numbering = Layout::Parse("'" + std::string(31, ' ') +
                                   "'/' ERROR of numeration, LINE',I5/"
                                   "' Stop program; You must correct pasport data'/'" +
                                   stars + "'");
  EXPECT_EQ(FormatRecords(numbering, {I32(3)}),
            (Records{std::string(31, ' '), " ERROR of numeration, LINE    3",
                     " Stop program; You must correct pasport data", stars}));
}

TEST(TextWriterTest, TextFileEndsEveryRecordWithCrLf) {
  TextFileWriter writer;
  writer.Write(Layout::Parse("20I5"), {I32(3)});
  writer.Write(Layout::Parse("A20"), {Str("sex")});
  writer.Write(Layout::Parse("30A1"), {Str("("), Str(std::string(1, '\0'))});
  writer.Write(Layout::Parse("I2,/,I2"), {I16(1), I8(2)});
  static const char kExpected[] = "    3\r\n                 sex\r\n(\0\r\n 1\r\n 2\r\n";
  EXPECT_EQ(writer.bytes(), std::string(kExpected, sizeof kExpected - 1));
}

TEST(TextWriterTest, MismatchedValuesAreProgrammingErrors) {
  EXPECT_THROW(FormatRecords(Layout::Parse("I5"), {Str("x")}), std::invalid_argument);
  EXPECT_THROW(FormatRecords(Layout::Parse("A5"), {I32(1)}), std::invalid_argument);
  EXPECT_THROW(FormatRecords(Layout::Parse("'x'"), {I32(1)}), std::invalid_argument);
}

}  // namespace
}  // namespace pedprep
