#include "import/herdbook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pedprep {
namespace {

struct Read {
  std::vector<std::string> rows;  // "line:id<sire<dam" of each row kept
  std::string problems;           // formatted, one a line
};

// ASCII text as UTF-16 with a byte-order mark.
std::string Utf16(const std::string& ascii, bool little) {
  std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
  for (char c : ascii) {
    out += little ? c : '\0';
    out += little ? '\0' : c;
  }
  return out;
}

Read ReadText(std::string text, const HerdbookFormat& format = {},
              TextEncoding encoding = TextEncoding::kDetect) {
  Read result;
  long fallback_line = 0;
  const std::string why = MakeHerdbookText(&text, encoding, &fallback_line);
  if (!why.empty()) return {{}, "refused: " + why};
  if (fallback_line != 0)
    result.problems = "cp1252 from line " + std::to_string(fallback_line) + "\n";
  std::vector<ImportProblem> problems;
  const Herdbook book = ReadHerdbook(text, "hb", format, &problems);
  for (std::size_t r = 0; r < book.RowCount(); ++r) {
    const HerdbookRow& row = book.Row(r);
    result.rows.push_back(std::to_string(row.line) + ":" + std::string(row.id) + "<" +
                          std::string(row.sire) + "<" + std::string(row.dam));
  }
  for (const ImportProblem& p : problems) result.problems += FormatProblem(p) + "\n";
  return result;
}

TEST(HerdbookTest, SeparatorsColumnsAndEncodings) {
  HerdbookFormat german;
  german.columns[kIdColumn] = "Tier";
  german.columns[kSireColumn] = "vater";
  german.columns[kDamColumn] = "3";  // by number
  HerdbookFormat star;
  star.delimiter = '*';
  HerdbookFormat spaced;
  spaced.delimiter = kBlankSeparated;
  const std::vector<std::string> two = {"2:a<<", "3:b<a<"};
  struct Case {
    const char* name;
    std::string text;
    HerdbookFormat format;
    std::vector<std::string> rows;
    TextEncoding encoding = TextEncoding::kDetect;
    std::string problems{};
  };
  const std::vector<Case> cases = {
      {"pipe detected", "id|sire|dam\na||\nb|a|\n", {}, two},
      {"blanks detected, leading blanks and tabs", "id  sire dam\n  a 0 0\nb\ta   NA\n", {}, two},
      {"space given", "id sire dam\na 0 0\n\n  \nb a 0\n", spaced, {"2:a<<", "5:b<a<"}},
      {"any character given", "id*sire*dam\na**\nb*a*\n", star, two},
      {"header names and numbers", "Tier;Va ter;Mutter\na;;\nb;a;\n", german, two},
      {"a column given by number holds the values",
       "Tier;Vater;Mutter\nc;a;b\n",
       german,
       {"2:c<a<b"}},
      {"CR-only line ends", "id,sire,dam\ra,,\rb,a,\r", {}, two},
      {"UTF-16 LE with BOM", Utf16("id,sire,dam\r\na,,\r\nb,a,\r\n", true), {}, two},
      {"UTF-16 BE with BOM, a character beyond ASCII",
       Utf16("id,sire,dam\n", false) + std::string("\0\xE4\0,\0,\0\n", 8),
       {},
       {"2:\xC3\xA4<<"}},
      {"UTF-16 LE without BOM", Utf16("id,sire,dam\na,,\nb,a,\n", true).substr(2), {}, two},
      {"UTF-16 BE without BOM", Utf16("id,sire,dam\na,,\nb,a,\n", false).substr(2), {}, two},
      {"Windows-1252 read so, line named",
       "id,sire,dam\na,,\nb\x80\xE4,a,\n",
       {},
       {"2:a<<", "3:b\xE2\x82\xAC\xC3\xA4<a<"},
       TextEncoding::kDetect,
       "cp1252 from line 3\n"},
      {"Latin-1 given",
       "id,sire,dam\na,,\nb\xE4,a,\n",
       {},
       {"2:a<<", "3:b\xC3\xA4<a<"},
       TextEncoding::kLatin1},
      {"UTF-16 LE given",
       Utf16("id,sire,dam\na,,\nb,a,\n", true).substr(2),
       {},
       two,
       TextEncoding::kUtf16Le},
      {"a header with as many TABs as semicolons splits on TAB",
       "id\tsire\tdam\tn;o;t;e\na\t\t\tx;y\n",
       {},
       {"2:a<<"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read read = ReadText(c.text, c.format, c.encoding);
    EXPECT_EQ(read.problems, c.problems);
    EXPECT_EQ(read.rows, c.rows);
  }
  // German headers without options: the message shows what was read.
  const std::string german_problems = ReadText("Tier;Vater;Mutter\na;;\n").problems;
  EXPECT_EQ(german_problems.substr(0, german_problems.find('\n') + 1),
            "hb:1: required column \"id\" (or \"animal\", \"individual\", \"indiv\", \"ind\") "
            "missing (name it with --id); header read as \"Tier\", \"Vater\", \"Mutter\" with "
            "separator ';'\n");
  // A UTF-8 book with one stray byte is refused at its line, also when UTF-8 is named.
  EXPECT_EQ(ReadText("id,sire,dam\nb\xC3\xA4,,\nc\xE4,,\n").problems,
            "refused: line 3 is not UTF-8 (byte 0xE4) though the text is UTF-8 elsewhere; mend "
            "the line or name the encoding with --encoding");
  EXPECT_EQ(ReadText("id,sire,dam\nc\xE4,,\n", {}, TextEncoding::kUtf8).problems,
            "refused: line 2 is not UTF-8 (byte 0xE4)");
  EXPECT_EQ(ReadText(std::string("id,sire\0,dam\n", 13)).problems,
            "refused: binary file (a zero byte at offset 7); export the table as delimited "
            "text");
  // A surrogate code point written as UTF-8 is no UTF-8; latin1 maps 0x80 to U+0080 (where
  // Windows-1252 has the euro sign).
  EXPECT_EQ(ReadText("id,sire,dam\nx,,\n\xED\xA0\x80,,\n").problems, "cp1252 from line 3\n");
  EXPECT_EQ(ReadText("id,sire,dam\n\x80,,\n", {}, TextEncoding::kLatin1).rows,
            (std::vector<std::string>{"2:\xC2\x80<<"}));
  EXPECT_EQ(ReadText("id,sire,dam\n\x80,,\n", {}, TextEncoding::kCp1252).rows,
            (std::vector<std::string>{"2:\xE2\x82\xAC<<"}));
  // A workbook is told so before it is taken for Windows-1252 text.
  EXPECT_EQ(ReadText(std::string("PK\x03\x04\x14\0\x80id", 9)).problems,
            "refused: a spreadsheet workbook, not text; save the sheet as CSV or tab-separated "
            "text");
}

TEST(HerdbookTest, ValuesAreCheckedAndTheRowKept) {
  HerdbookFormat format;
  format.markers = {"kg", "class"};
  format.selected_marker = 1;
  format.sex_codes = {{"w", Sex::kFemale}};
  format.missing = {"?"};
  const Read read = ReadText(
      "id,sire,dam,sex,kg,class,nation\n"
      "a,,,w,99999,127,127\n"   // good: kg only has to fit five columns
      "b,,,x,100000,128,128\n"  // sex unknown, kg, class and nation out of range
      "c,,,m,19.5,,\n"          // not an integer
      "?,,,m,,,\n"              // an id that means unknown
      "e\x1b[2J\nx,,,m,,,\n"    // control bytes shown escaped; a row of one field
      "f,,,m,,,,,\n"            // empty fields past the header's
      "g,,,m,,,,x\n"            // a field past the header's
      "h,,,m,,,,x,,\n"          // and empty ones after it: counted up to the last value
      ,
      format);
  EXPECT_EQ(read.rows, (std::vector<std::string>{"2:a<<", "3:b<<", "4:c<<", "7:x<<", "8:f<<"}));
  EXPECT_EQ(read.problems,
            "hb:3: sex value \"x\" of animal b is not M, F, male, female, 1 or 2 (or a code "
            "given with --sex-codes)\n"
            "hb:3: nation value \"128\" of animal b is not an integer in -127..127\n"
            "hb:3: marker \"kg\" value \"100000\" of animal b is not an integer in -9999..99999\n"
            "hb:3: marker \"class\" value \"128\" of animal b is not an integer in -127..127 (the "
            "marker the run takes)\n"
            "hb:4: marker \"kg\" value \"19.5\" of animal c is not an integer in -9999..99999\n"
            "hb:5: id \"?\" is a code for an unknown animal (see --missing)\n"
            "hb:6: 1 field where the header has 7\n"
            "hb:9: 8 fields where the header has 7\n"
            "hb:10: 8 fields where the header has 7\n");
  EXPECT_EQ(FormatProblem({"hb", 6, "animal e\x1b[2J\nx", "", "", ProblemKind::kFile}),
            "hb:6: animal e\\x1B[2J\\x0Ax");
}

TEST(HerdbookTest, BirthDatesNameADayThatExists) {
  struct Case {
    const char* born;
    int year;  // 0: a problem
    const char* problem;
  };
  const std::vector<Case> cases = {
      {"1990", 1990, ""},
      {"1990-05-03", 1990, ""},
      {"03.05.1990", 1990, ""},
      {"19900503", 1990, ""},
      {"2000-02-29", 2000, ""},  // a leap day (divisible by 400)
      {"12/31/1999", 1999, ""},  // month first
      {"31/12/1999", 1999, ""},  // day first
      {"1990-05-03 23:59:59", 1990, ""},
      {"1990/91", 1990, ""},  // a season, no day
      {"2003-13-45", 0, "a date (no such day)"},
      {"31.02.2001", 0, "a date (no such day)"},
      {"1900-02-29", 0, "a date (no such day)"},
      {"2001-02-29", 0, "a date (no such day)"},
      {"19901301", 0, "a date (no such day)"},
      {"13/13/1999", 0, "a date (no such day)"},
      {"1990-00-10", 0, "a date (no such day)"},
      {"May", 0, "a year or a date with a year"},
  };
  std::string text = "id,sire,dam,born\n";
  for (const Case& c : cases) text += std::string("a,,,") + c.born + "\n";
  HerdbookFormat format;
  std::vector<ImportProblem> found;
  const Herdbook book = ReadHerdbook(text, "hb", format, &found);
  ASSERT_EQ(book.RowCount(), cases.size());
  std::size_t next = 0;
  for (std::size_t k = 0; k < cases.size(); ++k) {
    SCOPED_TRACE(cases[k].born);
    EXPECT_EQ(book.Row(k).born, cases[k].year);
    if (cases[k].year != 0) continue;
    ASSERT_LT(next, found.size());
    EXPECT_EQ(found[next].line, static_cast<long>(k) + 2);
    EXPECT_EQ(found[next++].message, std::string("born value \"") + cases[k].born +
                                         "\" of animal a is not " + cases[k].problem);
  }
  EXPECT_EQ(next, found.size());
}

// Parents written as a code for unknown that the book does not name among its codes.
TEST(HerdbookTest, WordsThatReadLikeMissingCodes) {
  for (const char* word : {"unknown", "UNK",         "Unkn", "na",  "N/A",     "n.a.", "#N/A",
                           "NaN",     "none",        "NULL", "nil", "missing", "NN",   "unbekannt",
                           "inconnu", "desconocido", "0",    "00",  "000",     "?",    "??",
                           "-",       "--",          "-1",   "-99", ".",       "..",   "*"}) {
    EXPECT_TRUE(ReadsLikeMissingCode(word)) << word;
  }
  for (const char* word : {"", "u", "unknown1", "n", "nana", "0x", "10", "-a", "-1-", "x?",
                           "Charles Darwin", "276000802918754", "dama:12"}) {
    EXPECT_FALSE(ReadsLikeMissingCode(word)) << word;
  }
}

TEST(HerdbookTest, BooksAppendWithTheirFiles) {
  HerdbookFormat format;
  format.id_prefix = "one:";
  std::vector<ImportProblem> problems;
  const std::string first = "id,sire,dam\na,,\nb,a,\n";
  const std::string second = "id\tsire\tdam\na\t\t\n";
  Herdbook book = ReadHerdbook(first, "one.csv", format, &problems);
  format.id_prefix = "two:";
  book.Append(ReadHerdbook(second, "two.tsv", format, &problems, 1));
  ASSERT_EQ(book.RowCount(), 3u);
  EXPECT_EQ(book.Row(1).sire, "one:a");
  EXPECT_EQ(book.Row(2).id, "two:a");
  EXPECT_EQ(book.files, (std::vector<std::string>{"one.csv", "two.tsv"}));
  EXPECT_EQ(book.files[book.Row(2).file], "two.tsv");
  EXPECT_TRUE(problems.empty());
}

}  // namespace
}  // namespace pedprep
