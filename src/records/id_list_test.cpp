#include "records/id_list.h"

#include <gtest/gtest.h>

#include "records/escape.h"
#include "records/input_error.h"

namespace pedprep {
namespace {

TEST(IdList, OneIdALineTrimmedBlankLinesSkipped) {
  // CR LF is one line end; a lone CR ends a line as LF does.
  const std::vector<ListedId> ids =
      ParseIdList("\xEF\xBB\xBF DE1 \r\n\r\n\tdama:12\nlast\rafter \r\r\n");
  ASSERT_EQ(ids.size(), 4u);
  EXPECT_EQ(ids[0].id, "DE1");
  EXPECT_EQ(ids[1].line, 3);
  EXPECT_EQ(ids[1].id, "dama:12");
  EXPECT_EQ(ids[2].line, 4);
  EXPECT_EQ(ids[2].id, "last");
  EXPECT_EQ(ids[3].line, 5);
  EXPECT_EQ(ids[3].id, "after");
}

TEST(IdList, PairsByDelimiterOrBlanksWithAnOptionalHeader) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> pairs;  // "LINE sire dam"
  };
  const std::vector<Case> cases = {
      {"CSV with a header", "Sire,DAM\r\nDE1,DE2\r\n\"A, B\",C\r\n", {"2 DE1 DE2", "3 A, B C"}},
      {"tabs", "x y\tz\n", {"1 x y z"}},
      {"blanks", "  x   z \n\ny w\n", {"1 x z", "3 y w"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> got;
    for (const ListedPair& p : ParseIdPairs(c.text, "pairs.csv")) {
      got.push_back(std::to_string(p.line) + " " + p.sire + " " + p.dam);
    }
    EXPECT_EQ(got, c.pairs);
  }
  for (const char* text : {"a,b\nc\n", "a,b\nc,,d\n", "a,b\nc,d,e\n", "a,b\n,d\n"}) {
    SCOPED_TRACE(text);
    try {
      ParseIdPairs(text, "pairs.csv");
      ADD_FAILURE() << "no error";
    } catch (const InputError& e) {
      EXPECT_EQ(e.Report(),
                "INPUT ERROR: read of pairs.csv, record 2: expected two ids, the sire's and the "
                "dam's");
    }
  }
}

TEST(EscapeMarkup, EntitiesAndControlBytes) {
  EXPECT_EQ(EscapeMarkup("<a href=\"x\">T&'s</a>\t\x01\x7F\xC3\xA4"),
            "&lt;a href=&quot;x&quot;&gt;T&amp;&#39;s&lt;/a&gt;\t\xEF\xBF\xBD\xEF\xBF\xBD\xC3\xA4");
}

}  // namespace
}  // namespace pedprep
