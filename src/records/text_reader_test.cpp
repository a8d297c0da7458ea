#include "records/text_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "records/input_error.h"
#include "testing/fakes.h"

namespace pedprep {
namespace {

// Reads one I-field value of `width` columns from a one-record file.
int32_t ReadOne32(const std::string& record, const char* layout = "I5") {
  TextReader reader("T", record + "\r\n");
  int32_t v = -999;
  reader.Read(Layout::Parse(layout), {Into(v)});
  return v;
}

TEST(TextReaderTest, IntegerFieldForms) {
  struct Case {
    const char* record;
    int32_t expected;
  } cases[] = {
      {"   12", 12},       {"12   ", 12}, {" 1 2 ", 12},  {"00012", 12}, {"\t1\t2", 12},
      {"     ", 0},        {"", 0},       {"-  12", -12}, {"+0012", 12}, {"   -0", 0},
      {"12345678", 12345}, {"1,", 1},     {"-7", -7},     {" 3", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    EXPECT_EQ(ReadOne32(c.record), c.expected);
  }
}

TEST(TextReaderTest, CommaEndsFieldEarly) {
  TextReader reader("T", "1,22,333,4\n");
  int32_t a = 0, b = 0, c = 0, d = 0;
  reader.Read(Layout::Parse("4I5"), {Into(a), Into(b), Into(c), Into(d)});
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 22);
  EXPECT_EQ(c, 333);
  EXPECT_EQ(d, 4);
}

TEST(TextReaderTest, ShortRecordReadsZerosAndBlanks) {
  TextReader reader("T", "    1    2\nnext\n");
  int32_t a = 0, b = 0, c = 9, d = 9;
  reader.Read(Layout::Parse("4I5"), {Into(a), Into(b), Into(c), Into(d)});
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(d, 0);
  std::string s;
  reader.Read(Layout::Parse("A10"), {IntoText(s, 10)});
  EXPECT_EQ(s, "next      ");
}

TEST(TextReaderTest, MalformedFieldsAndEndOfFileAreInputErrors) {
  struct Case {
    const char* contents;
    int reads_before;  // successful one-value reads with layout I1 first
    const char* layout;
    const char* report;
  } cases[] = {
      {"  1x2\n", 0, "I5", "record 1: not an integer: \"1x2\""},
      {"    -\n", 0, "I5", "record 1: not an integer: \"-\""},
      {"   +\n", 0, "I5", "record 1: not an integer: \"+\""},
      {"  1-2\n", 0, "I5", "record 1: not an integer: \"1-2\""},
      {"--1\n", 0, "I5", "record 1: not an integer: \"--1\""},
      {"1.5\n", 0, "I5", "record 1: not an integer: \"1.5\""},
      {"1e3\n", 0, "I5", "record 1: not an integer: \"1e3\""},
      {"1\n\x01\x02\n", 1, "I5", "record 2: not an integer: \"\\x01\\x02\""},
      {"", 0, "I5", "record 1: end of file"},
      {"1\n2\n", 2, "I5", "record 3: end of file"},
      {"1\n", 0, "I5,/,I5", "record 2: end of file"},
      {"1\n", 0, "I5,I5", "record 2: end of file"},  // reversion with a target left
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contents);
    TextReader reader("PEDIGREE.PRN", c.contents);
    int32_t a = 0, b = 0, x = 0;
    for (int i = 0; i < c.reads_before; ++i) reader.Read(Layout::Parse("I1"), {Into(x)});
    InList targets = {Into(a)};
    if (std::string(c.layout) == "I5,/,I5") targets.push_back(Into(b));
    if (std::string(c.layout) == "I5,I5") {
      targets = {Into(a), Into(b), Into(x)};
    }
    std::string report = "no error";
    try {
      reader.Read(Layout::Parse(c.layout), targets);
    } catch (const InputError& e) {
      report = e.Report();
    }
    EXPECT_EQ(report, std::string("INPUT ERROR: read of PEDIGREE.PRN, ") + c.report);
  }
}

TEST(TextReaderTest, RangesOfDestinations) {
  struct Case {
    const char* field;
    InTarget::Kind kind;
    bool ok;
  } cases[] = {
      {"32767", InTarget::Kind::kInt16, true},
      {"32768", InTarget::Kind::kInt16, false},
      {"-32767", InTarget::Kind::kInt16, true},
      {"-32768", InTarget::Kind::kInt16, false},
      {"127", InTarget::Kind::kInt8, true},
      {"128", InTarget::Kind::kInt8, false},
      {"-127", InTarget::Kind::kInt8, true},
      {"-128", InTarget::Kind::kInt8, false},
      {"2147483647", InTarget::Kind::kInt32, true},
      {"-2147483648", InTarget::Kind::kInt32, true},
      {"2147483648", InTarget::Kind::kInt32, false},
      {"-2147483649", InTarget::Kind::kInt32, false},
      {"99999999999999999999999999999999", InTarget::Kind::kInt32, false},
      {"-00000000000000000000000000000042", InTarget::Kind::kInt8, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    int32_t v32 = 0;
    int16_t v16 = 0;
    int8_t v8 = 0;
    InTarget target = c.kind == InTarget::Kind::kInt32   ? Into(v32)
                      : c.kind == InTarget::Kind::kInt16 ? Into(v16)
                                                         : Into(v8);
    TextReader reader("F", std::string(c.field) + "\n");
    if (c.ok) {
      reader.Read(Layout::Parse("I40"), {target});
      int64_t got = c.kind == InTarget::Kind::kInt32   ? v32
                    : c.kind == InTarget::Kind::kInt16 ? v16
                                                       : v8;
      EXPECT_EQ(got, std::stoll(c.field));
    } else {
      try {
        reader.Read(Layout::Parse("I40"), {target});
        ADD_FAILURE() << "no error";
      } catch (const InputError& e) {
        EXPECT_EQ(e.Report(), "INPUT ERROR: read of F, record 1: integer out of range: \"" +
                                  std::string(c.field) + "\"");
      }
    }
  }
}

TEST(TextReaderTest, LineEndingsAndLastLineWithoutEnd) {
  TextReader reader("T", "    1\r\n    2\n    3\r\r\n    4");
  for (int32_t expected = 1; expected <= 4; ++expected) {
    int32_t v = 0;
    reader.Read(Layout::Parse("I5"), {Into(v)});
    EXPECT_EQ(v, expected);
  }
  EXPECT_EQ(reader.records_read(), 4);
  int32_t v = 0;
  EXPECT_THROW(reader.Read(Layout::Parse("I5"), {Into(v)}), InputError);
}

TEST(TextReaderTest, EveryReadStartsANewRecordAndIgnoresTheRest) {
  TextReader reader("T", "   10   20   30 trailing text\n   40\n");
  int32_t a = 0, b = 0;
  reader.Read(Layout::Parse("3I5"), {Into(a), Into(b)});
  EXPECT_EQ(a, 10);
  EXPECT_EQ(b, 20);
  reader.Read(Layout::Parse("I5"), {Into(a)});
  EXPECT_EQ(a, 40);
}

TEST(TextReaderTest, LayoutReversionReadsNextRecord) {
  // A 20I5 layout with 21 targets takes the 21st value from columns 1-5 of the next record.
  std::string first;
  for (int i = 1; i <= 20; ++i) first += "    " + std::to_string(i % 10);
  TextReader reader("T", first + "\n   21   99\n   77\n");
  int32_t v[21] = {};
  InList targets;
  for (int32_t& x : v) targets.push_back(Into(x));
  reader.Read(Layout::Parse("20I5"), targets);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[19], 0);
  EXPECT_EQ(v[20], 21);
  int32_t next = 0;
  reader.Read(Layout::Parse("I5"), {Into(next)});
  EXPECT_EQ(next, 77);
}

TEST(TextReaderTest, TextFieldRules) {
  struct Case {
    const char* record;
    const char* layout;
    std::size_t length;
    const char* expected;
  } cases[] = {
      {"abcdefgh", "A8", 5, "defgh"},  // w > len: skip w - len
      {"abc", "A8", 5, "     "},       // skipped part runs past the record end
      {"abcdef", "A8", 5, "def  "},
      {"abcdefgh", "A3", 5, "abc  "},  // w < len: first w, blank-filled
      {"ab", "A4", 4, "ab  "},
      {"", "A4", 4, "    "},
      {"a,b\tc", "A5", 5, "a,b\tc"},  // no special characters in text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    TextReader reader("T", std::string(c.record) + "\n");
    std::string s = "old";
    reader.Read(Layout::Parse(c.layout), {IntoText(s, c.length)});
    EXPECT_EQ(s, c.expected);
  }
}

TEST(TextReaderTest, TextAndIntegerFieldsShareColumns) {
  std::string line(85, 'x');
  line.replace(0, 5, "hello");
  TextReader reader("T", line + "\n   42\n");
  std::string s;
  reader.Read(Layout::Parse("A80"), {IntoText(s, 80)});
  EXPECT_EQ(s, line.substr(0, 80));
  int16_t v = 0;
  reader.Read(Layout::Parse("A3,I3"), {IntoText(s, 2), Into(v)});
  EXPECT_EQ(s, "  ");
  EXPECT_EQ(v, 42);
}

TEST(TextReaderTest, MissingFileIsOpenError) {
  MemoryFileSystem fs;
  fs.files["DEF.DAT"] = "x\n";
  try {
    TextReader::Open(fs, "database/markers.dat");
    ADD_FAILURE();
  } catch (const InputError& e) {
    EXPECT_EQ(e.Report(), "INPUT ERROR: open of database/markers.dat: file not found");
  }
  TextReader ok = TextReader::Open(fs, "DEF.DAT");
  std::string s;
  ok.Read(Layout::Parse("A1"), {IntoText(s, 1)});
  EXPECT_EQ(s, "x");
}

}  // namespace
}  // namespace pedprep
