#include "records/csv.h"

#include <gtest/gtest.h>

#include "records/input_error.h"

namespace pedprep {
namespace {

using Fields = std::vector<std::string>;

TEST(CsvTest, RowsFieldsAndLines) {
  struct Case {
    const char* name;
    std::string text;
    char delimiter;
    std::vector<CsvRow> rows;
  };
  const std::vector<Case> cases = {
      {"crlf and quotes",
       "id,name\r\n7,\"Ann \"\"A\"\", jr\"\r\n",
       ',',
       {{1, {"id", "name"}}, {2, {"7", "Ann \"A\", jr"}}}},
      {"quoted line end moves the next row's line",
       "a;\"two\nlines\"\nb;c",
       ';',
       {{1, {"a", "two\nlines"}}, {3, {"b", "c"}}}},
      {"byte-order mark, blank lines, empty fields",
       "\xEF\xBB\xBFid\tx\n\n\r\n1\t\n",
       '\t',
       {{1, {"id", "x"}}, {4, {"1", ""}}}},
      {"blanks around unquoted fields dropped, kept in quotes",
       " a , \" b \" \n",
       ',',
       {{1, {"a", " b "}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<CsvRow> rows = ParseCsv(c.text, c.delimiter, "t.csv");
    ASSERT_EQ(rows.size(), c.rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].line, c.rows[i].line);
      EXPECT_EQ(rows[i].fields, c.rows[i].fields);
    }
  }
}

TEST(CsvTest, MalformedQuotingNamesFileLineAndText) {
  struct Case {
    std::string text;
    std::string report;
  };
  const std::vector<Case> cases = {
      {"a,b\nab\"c\",d\n",
       "INPUT ERROR: read of h.csv, record 2: malformed quoting: \"ab\"c\",d\""},
      {"a,b\n\"x\"y,z\r\n",
       "INPUT ERROR: read of h.csv, record 2: malformed quoting: \"\"x\"y,z\""},
      {"a,b\n1,2\n\"open,3\n4,5\n",
       "INPUT ERROR: read of h.csv, record 3: quote not closed: \"\"open,3\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      ParseCsv(c.text, ',', "h.csv");
      ADD_FAILURE() << "no error";
    } catch (const InputError& e) {
      EXPECT_EQ(e.Report(), c.report);
    }
  }
}

TEST(CsvTest, DelimiterFromHeader) {
  struct Case {
    std::string header;
    char delimiter;
  };
  const std::vector<Case> cases = {
      {"id\tsire\tdam,x\n1,2,3,4,5", '\t'},
      {"\xEF\xBB\xBFid;sire;dam\r\n", ';'},
      {"\"a;b\",sire,dam", ','},
      {"id", ','},
      // Delimiters inside quotes do not count, even where they outnumber the real ones.
      {"\"id;x;y;z\",sire,dam\n", ','},
      {"id;\"a\tb\tc\tsire\";dam\n", ';'},
      {"id,\"note\"\"s;;;\",sire,dam,\"x;y\"\n", ','},
      // A quoted line end does not end the header.
      {"\"id\nx\";sire;dam,a\n1,2,3,4,5,6\n", ';'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.header));
    EXPECT_EQ(DetectDelimiter(c.header), c.delimiter);
  }
}

TEST(CsvTest, FieldsQuotedOnlyWhenNeeded) {
  EXPECT_EQ(CsvLine({"1", "DE09", "", "a,b", "say \"x\"", " lead", "two\nlines"}),
            "1,DE09,,\"a,b\",\"say \"\"x\"\"\",\" lead\",\"two\nlines\"\r\n");
  EXPECT_EQ(CsvField("a,b", ';'), "a,b");
  // What is written reads back unchanged.
  const Fields fields = {"x", "\"q\"", "a,b", "", " s "};
  EXPECT_EQ(ParseCsv(CsvLine(fields), ',', "r.csv").at(0).fields, fields);
}

}  // namespace
}  // namespace pedprep
