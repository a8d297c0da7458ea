#include "records/input_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pedprep {
namespace {

// What the import writes, the tools read: every name whole, the lines within their width.
TEST(InputFolderTest, BreedLegendWrittenIsRead) {
  struct Case {
    const char* name;
    std::vector<std::string> breeds;
    std::vector<std::string> read;  // as the legend gives them back
  };
  const std::string thirty(30, 'x');
  std::vector<std::string> ten;
  for (char c = 'A'; c < 'A' + 10; ++c) ten.push_back(std::string(29, c) + "z");
  const std::vector<Case> cases = {
      {"ten names of 30 characters", ten, ten},
      {"blanks, quotes, an equals sign and control bytes",
       {"Black Pied", "say \"hi\"", "a=b", "tab\there", "\"", "-"},
       {"Black Pied", "say \"hi\"", "a=b", "tab here", "\"", "-"}},
      {"the longest name a line holds", {std::string(78, 'n')}, {std::string(78, 'n')}},
      {"a gap in the codes", {"A", "", "C"}, {"A", "", "C"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(BreedLegendProblem(c.breeds), "");
    const std::vector<std::string> lines = PassportTextLines({"herd.csv", c.breeds});
    ASSERT_EQ(lines.size(), 7u);
    for (const std::string& line : lines) EXPECT_LE(line.size(), kPassportTextWidth) << line;
    EXPECT_EQ(lines[0], "Imported from herd.csv");
    std::string passport = "    3    2\r\n";
    for (const std::string& line : lines) passport += line + "\r\n";
    passport += "    1    1    0    0    1    1    1\r\n";
    const std::map<int32_t, std::string> legend = ReadBreedLegend(PassportTextLinesOf(passport));
    for (std::size_t k = 0; k < c.read.size(); ++k) {
      const auto found = legend.find(static_cast<int32_t>(k + 1));
      EXPECT_EQ(found == legend.end() ? "" : found->second, c.read[k]) << k + 1;
    }
    EXPECT_LE(legend.size(), c.read.size());
  }
}

TEST(InputFolderTest, NamesThatCannotFitAreRefused) {
  EXPECT_NE(BreedLegendProblem({std::string(79, 'n')}).find("--rename-breed"), std::string::npos);
  EXPECT_NE(BreedLegendProblem({"a b" + std::string(76, 'n')}).find("too long"),
            std::string::npos);  // quoted: two bytes more
  const std::vector<std::string> long_names(10, std::string(40, 'n'));
  EXPECT_NE(BreedLegendProblem(long_names).find("need 10 lines"), std::string::npos);
  // Six lines after the title: two entries of 38 bytes fit a line.
  const std::vector<std::string> fitting(10, std::string(36, 'n'));
  EXPECT_EQ(BreedLegendProblem(fitting), "");
  EXPECT_EQ(PassportTextLines({"h", fitting})[6].substr(0, 4), "10=n");
}

TEST(InputFolderTest, TheNotesFollowTheLegendWhereLinesAreLeft) {
  const std::vector<std::string> lines = PassportTextLines({"hb.csv", {"Angus", "Hereford"}});
  EXPECT_EQ(lines,
            (std::vector<std::string>{"Imported from hb.csv", "breeds: 1=Angus 2=Hereford",
                                      "fields: family individual father mother breed sex ini_id",
                                      "ids.csv maps ini_id to the herd book ids", "", "", ""}));
}

TEST(InputFolderTest, IdsCsvRoundTripAndStrictReading) {
  const std::vector<IdsRow> rows = {{1, "Bella, \"B\"", 1, 1, "", "", "1998", "both"},
                                    {2, "", 1, 2, kAddedDummy, "dummy sire of Bella", "", ""}};
  const std::string text = IdsCsvText(rows, true);
  std::vector<IdsProblem> problems;
  const std::map<int32_t, IdsRow> read = ParseIdsCsv(text, &problems);
  EXPECT_TRUE(problems.empty());
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read.at(1).id, "Bella, \"B\"");
  EXPECT_EQ(read.at(1).born, "1998");
  EXPECT_EQ(read.at(1).parents_cut, "both");
  EXPECT_EQ(text.substr(0, text.find('\r')),
            "ini_id,id,family,individual,added,note,born,parents_cut");
  EXPECT_EQ(read.at(2).added, "dummy");
  EXPECT_EQ(read.at(2).line, 3);

  struct Case {
    const char* name;
    std::string text;
    std::size_t rows;
    std::string problem;  // the first
  };
  const std::vector<Case> cases = {
      {"columns in any order, others missing", "id,x,ini_id\r\nA,,7\r\n", 1, ""},
      {"a second row of one ini_id", "ini_id,id\n1,A\n1,B\n", 1,
       "3: expected each ini_id once, found 1 again (first on line 2)"},
      {"a short row", "ini_id,id,note\n1,A\n2,B,\n", 1,
       "2: expected 3 fields as in the header, found 2"},
      {"no ini_id column", "id,name\n1,A\n", 0,
       "1: expected a header with the columns ini_id and id, found \"id,name\""},
      {"a family that is no number", "ini_id,id,family\n1,A,x\n", 0,
       "2: expected an integer family, found \"x\""},
      {"an empty file", "", 0,
       "1: expected a header with the columns ini_id and id, found an empty file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    problems.clear();
    EXPECT_EQ(ParseIdsCsv(c.text, &problems).size(), c.rows);
    EXPECT_EQ(problems.empty() ? "" : std::to_string(problems[0].line) + ": " + problems[0].problem,
              c.problem);
  }
}

}  // namespace
}  // namespace pedprep
