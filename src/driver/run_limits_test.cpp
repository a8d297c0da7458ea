// Whole runs at the capacities of the store and of its stages: one run per limit, past its
// edge, ends with the limit's message, the stop line and no output file (the edges
// themselves are tested by the stage that owns each limit); the store at its capacity runs
// through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pedigree_store.h"
#include "core/stop.h"
#include "driver/run_driver.h"
#include "testing/pedigree_fixture.h"
#include "testing/run_folder.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::FolderRun;
using testing::PassportRow;
using testing::PassportText;
using testing::Tail;

const std::string kPrompt = std::string(kPausePrompt) + "\n";
const std::string kStop = std::string(kStopLine) + "\n";
const std::string kSuccessEnd =
    "ALL RIGHT: UNFORMATED FILES  FOR ANALYZE ARE CREATED\n" + kPrompt + kStop;

// database/pedigree.dat for identifiers 1..ndat: nation code 9 for the listed ones, 1 else.
std::string Database(int ndat, const std::vector<int>& nation_nine) {
  std::string text = std::to_string(ndat) + "\r\n";
  for (int id = 1; id <= ndat; ++id) {
    bool nine = false;
    for (int n : nation_nine) nine |= n == id;
    text += "    0    0    0    0    " + std::string(nine ? "9" : "1") + "\r\n";
  }
  return text;
}

// A run on the clean folder with the passport rows (header ND = rows, NRAC given) and the
// database in place of the clean ones.
struct LimitRun : FolderRun {
  LimitRun(const std::vector<PassportRow>& rows, long nrac, const std::string& database) {
    files.files["PEDIGREE.PRN"] = PassportText(static_cast<long>(rows.size()), nrac, rows);
    files.files["database/pedigree.dat"] = database;
    console.answers = {""};
  }
  // Expects a stopped run whose console ends in `end` and that wrote no output.
  void ExpectRefused(const std::string& end) {
    EXPECT_EQ(Run(), kExitStopped);
    EXPECT_EQ(Tail(console.output, end.size()), end);
    EXPECT_TRUE(testing::OutputsPresent(files).empty());
  }
};

// Founders 1 (male) and 2 (female) with `children` children of both, breeds given.
void AddSibship(std::vector<PassportRow>& rows, long family, int children, long breed1,
                long breed2) {
  const long base = static_cast<long>(rows.size());
  rows.push_back({family, 1, 0, 0, breed1, 1, base + 1});
  rows.push_back({family, 2, 0, 0, breed2, 2, base + 2});
  for (int k = 1; k <= children; ++k) {
    rows.push_back({family, 2 + k, 1, 2, 0, 1 + k % 2, base + 2 + k});
  }
}

TEST(RunLimitsTest, LargestSampleInMostFamiliesWithMostBreedsRunsThrough) {
  // 24096 individuals in 2600 sibships, founders of all 10 breeds.
  std::vector<PassportRow> rows;
  for (long family = 1; family <= kMaxFamilies; ++family) {
    const int size = family <= kMaxRows % kMaxFamilies ? 10 : 9;
    AddSibship(rows, family, size - 2, 1 + family % 10, 1 + (family + 3) % 10);
  }
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kMaxRows));
  LimitRun run(rows, kMaxBreeds, Database(8, {}));
  EXPECT_EQ(run.Run(), kExitSuccess);
  EXPECT_EQ(run.console.output, kSuccessEnd);
  EXPECT_EQ(run.TableCount(), "24096");
}

TEST(RunLimitsTest, OnePastAPassportLimitIsRefused) {
  struct Case {
    const char* name;
    std::string passport;
    std::string output;
  };
  std::vector<PassportRow> families_2601;
  for (long family = 1; family <= kMaxFamilies + 1; ++family) {
    families_2601.push_back({family, 1, 0, 0, 1, 1, family});
  }
  const std::vector<Case> cases = {
      // The header alone: the refusal comes before the text lines are read.
      {"24097 individuals", "24097    1\r\n", "ERROR: max. sample size is N4096 \n"},
      {"11 breeds", "    3   11\r\n", "ERROR: max. number of races is 10 \n"},
      {"2601 families", PassportText(kMaxFamilies + 1, 1, families_2601),
       "ERROR: max. number of families is 2600 \n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FolderRun run;
    run.files.files["PEDIGREE.PRN"] = c.passport;
    run.console.answers = {"echo x"};
    EXPECT_EQ(run.Run(), kExitStopped);
    EXPECT_EQ(run.console.output, c.output + kPrompt + kStop);
    EXPECT_EQ(run.shell.commands, std::vector<std::string>{"echo x"});
    EXPECT_TRUE(testing::OutputsPresent(run.files).empty());
  }
}

TEST(RunLimitsTest, LoopBreakCopy4097IsRefused) {
  LimitRun run(testing::PassportRows(testing::SireDaughterLoops(kMaxBreaks + 1)), 2,
               Database(8, {}));
  run.ExpectRefused(
      "BREAKAGE: NFA,NMA          1           3\n"
      "ERROR: max. number of loop breaks is 4096 \n" +
      kStop);
}

// The full-sib loop family, then founders (ten to a family) up to `total` rows: the loop's
// copy (identifier 104, nation code 9 when `parent_copies`, so that the reconstruction adds
// its two parents) is one row too many.
TEST(RunLimitsTest, GrowthPastTheLastRowIsRefused) {
  for (const bool parent_copies : {false, true}) {
    SCOPED_TRACE(parent_copies ? "parent copies" : "loop-break copy");
    std::vector<PassportRow> rows = testing::PassportRows(testing::kFullSib);
    const int total = parent_copies ? kMaxRows - 2 : kMaxRows;
    for (long family = 2, number = 1; static_cast<int>(rows.size()) < total; ++number) {
      if (number > 10) {
        number = 1;
        ++family;
      }
      rows.push_back({family, number, 0, 0, 1, 1, static_cast<long>(rows.size()) + 1});
    }
    std::vector<int> nation_nine;
    if (parent_copies) nation_nine = {101, 102, 103, 104, 105};
    LimitRun run(rows, 1, Database(200, nation_nine));
    run.ExpectRefused(
        "          4\n"
        "          1           4\n"
        "BREAKAGE: NFA,NMA          3           4\n"
        "ERROR: max. sample size is N4096 \n" +
        kStop);
  }
}

TEST(RunLimitsTest, IdentifiersAtTheEdgesOfTheirField) {
  // Identifiers 0 and -7 have no database record, 24097 and 32767 lie past the store's
  // rows but within the database; the marker data name all of them.
  const std::vector<PassportRow> rows = {{1, 1, 0, 0, 1, 1, 0},
                                         {1, 2, 0, 0, 1, 2, -7},
                                         {1, 3, 1, 2, 0, 1, 32767},
                                         {1, 4, 1, 2, 0, 2, 24097},
                                         {1, 5, 0, 0, 1, 2, 1}};
  std::string database = "32767\r\n";
  for (int id = 1; id <= 32767; ++id) {
    const char* nation = id == 24097 ? "3" : id == 32767 ? "5" : id == 1 ? "2" : "0";
    database += std::string("    0    0    0    0    ") + nation + "\r\n";
  }
  LimitRun run(rows, 1, database);
  run.files.files["database/markers.dat"] =
      "    5  3\r\n"
      "    0    1   10    0\r\n"
      "   -7    2   20    0\r\n"
      "32767    3   30    0\r\n"
      "24097    4   40    0\r\n"
      "    1    5   50    0\r\n";
  EXPECT_EQ(run.Run(), kExitSuccess);
  EXPECT_EQ(run.console.output, kSuccessEnd);
  const std::string records =
      "    1    1    0    0    2    1    0   10    0\r\n"
      "    1    2    0    0    2    2   -7   20    0\r\n"
      "    1    3    1    2    2    132767   30    5\r\n"
      "    1    4    1    2    2    224097   40    3\r\n"
      "    1    5    0    0    1    2    1   50    2\r\n";
  EXPECT_EQ(Tail(run.files.files["ped.dat"], records.size()), records);
}

TEST(RunLimitsTest, TwentiethMarkerValueStandsOnTheNextLine) {
  // 20 values: the header's and every record's twentieth value stand in columns 1-5 of
  // the record after it.
  std::string twenty = "    2 20";
  for (int k = 1; k <= 19; ++k) twenty += "  " + std::to_string(k % 10);
  twenty += "\r\n    0\r\n";
  for (int id : {1, 8}) {
    twenty += "    " + std::to_string(id);
    for (int k = 1; k <= 19; ++k) twenty += "  " + std::to_string(10 * id + k);
    twenty += "\r\n" + std::to_string(100 + id) + "\r\n";
  }
  FolderRun run;
  run.files.files["database/markers.dat"] = twenty;
  std::string definition = testing::CleanDefinition();
  definition.replace(definition.size() - 4, 2, "20");
  run.files.files["DEF.DAT"] = definition;
  run.console.answers = {""};
  EXPECT_EQ(run.Run(), kExitSuccess);
  EXPECT_EQ(Tail(run.console.output, kSuccessEnd.size()), kSuccessEnd);
  // Column 8 of every table record (row 7 is a parent copy of identifier 1).
  const std::string& table = run.files.files["ped.dat"];
  std::string column;
  for (std::size_t at = table.find("(20i5)"); (at = table.find('\n', at)) + 1 < table.size();) {
    ++at;
    if (!column.empty()) column += ' ';
    column += std::to_string(std::stoi(table.substr(at + 35, 5)));
  }
  EXPECT_EQ(column, "101 0 0 0 0 0 101 0 0 0 108");
}

TEST(RunLimitsTest, LargeSibshipWithALoopRunsThrough) {
  // A couple with 301 children, two of whom have a child together.
  std::vector<PassportRow> rows;
  AddSibship(rows, 1, 301, 1, 1);
  rows.push_back({1, 304, 4, 3, 0, 1, 304});
  LimitRun run(rows, 1, Database(8, {}));
  EXPECT_EQ(run.Run(), kExitSuccess);
  EXPECT_EQ(Tail(run.console.output, kSuccessEnd.size()), kSuccessEnd);
  EXPECT_NE(run.console.output.find("BREAKAGE: NFA,NMA"), std::string::npos);
  EXPECT_EQ(run.TableCount(), "  305");
}

TEST(RunLimitsTest, LoopSearchQueueOverflowIsRefused) {
  LimitRun run(testing::PassportRows(testing::CrossedSibships(154, false)), 1, Database(8, {}));
  run.ExpectRefused("ERROR: K2 OVERFLOW 3\n" + kStop);
}

}  // namespace
}  // namespace pedprep
