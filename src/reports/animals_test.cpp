#include "reports/animals.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/pedigree_store.h"
#include "figures/run_facts.h"
#include "reading/observed_run.h"
#include "testing/build_paths.h"
#include "testing/fakes.h"
#include "testing/pedigree_fixture.h"
#include "testing/run_folder.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::PassportRow;
using testing::PassportText;

struct Listed {
  int status = 0;
  std::string out, err;
};

Listed List(MemoryFileSystem& folder, bool csv) {
  std::ostringstream out, err;
  Listed r;
  r.status = WithRunFacts(folder, err,
                          [&](const RunFacts& facts) { return RunAnimals(facts, csv, out, err); });
  r.out = out.str();
  r.err = err.str();
  return r;
}

// The clean inputs with a breed legend naming breed 1 only, and herd-book ids for some.
MemoryFileSystem CleanFolder() {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  std::string& passport = folder.files["PEDIGREE.PRN"];
  passport.replace(passport.find("comment line 2"), 14, "breeds: 1=Angus");
  folder.files["ids.csv"] =
      "ini_id,id,family,individual,added\r\n1,DE1,1,1,0\r\n2,,1,2,dummy\r\n4,DE4,1,4,0\r\n"
      "6,DE\x01"
      "6,2,1,0\r\n";
  return folder;
}

TEST(AnimalsTest, FinishedRunGivesEveryPositionWithItsOriginalsFigures) {
  MemoryFileSystem folder = CleanFolder();
  Listed r = List(folder, true);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  // Family 1: 5 is the child of the full sibs 3 and 4; 6 is the loop-break copy of 4, 7 and 8
  // the parent copies of 1 and 2 made for it. Family 2 is loop-free. ids.csv calls 2 a dummy:
  // an unknown parent for ecg and complete, with figures 0 of its own (F stays as read).
  EXPECT_EQ(r.out,
            "position,family,individual,id,ini_id,copy_of,generation,inbreeding,Angus,breed2,ecg,"
            "complete\r\n"
            "1,1,1,DE1,1,,0,0.000000,1.0000,0.0000,0.0000,0\r\n"
            "2,1,2,,2,,0,0.000000,0.0000,1.0000,0.0000,0\r\n"
            "3,1,3,,3,,1,0.000000,0.5000,0.5000,0.5000,0\r\n"
            "4,1,4,DE4,4,,1,0.000000,0.5000,0.5000,0.5000,0\r\n"
            "5,1,5,,5,,2,0.250000,0.5000,0.5000,1.5000,1\r\n"
            "6,1,6,DE4,4,4,1,0.000000,0.5000,0.5000,0.5000,0\r\n"
            "7,1,7,DE1,1,1,0,0.000000,1.0000,0.0000,0.0000,0\r\n"
            "8,1,8,,2,2,0,0.000000,0.0000,1.0000,0.0000,0\r\n"
            "9,2,1,DE\x01"
            "6,6,,0,0.000000,0.0000,1.0000,0.0000,0\r\n"
            "10,2,2,,7,,0,0.000000,1.0000,0.0000,0.0000,0\r\n"
            "11,2,3,,8,,1,0.000000,0.5000,0.5000,1.0000,1\r\n");

  r = List(folder, false);
  EXPECT_EQ(r.status, 0);
  std::size_t end = 0;  // after the first ten lines
  for (int line = 0; line < 10; ++line) end = r.out.find('\n', end) + 1;
  EXPECT_EQ(
      r.out.substr(0, end),
      "position  family  individual  id       ini_id  copy_of  generation  inbreeding   Angus"
      "  breed2     ecg  complete\n"
      "       1       1           1  DE1           1                    0    0.000000  1.0000"
      "  0.0000  0.0000         0\n"
      "       2       1           2                2                    0    0.000000  0.0000"
      "  1.0000  0.0000         0\n"
      "       3       1           3                3                    1    0.000000  0.5000"
      "  0.5000  0.5000         0\n"
      "       4       1           4  DE4           4                    1    0.000000  0.5000"
      "  0.5000  0.5000         0\n"
      "       5       1           5                5                    2    0.250000  0.5000"
      "  0.5000  1.5000         1\n"
      "       6       1           6  DE4           4        4           1    0.000000  0.5000"
      "  0.5000  0.5000         0\n"
      "       7       1           7  DE1           1        1           0    0.000000  1.0000"
      "  0.0000  0.0000         0\n"
      "       8       1           8                2        2           0    0.000000  0.0000"
      "  1.0000  0.0000         0\n"
      "       9       2           1  DE\\x016       6                    0    0.000000  0.0000"
      "  1.0000  0.0000         0\n");
  EXPECT_TRUE(testing::OutputsPresent(folder).empty());
}

// A long id is cut in the aligned table (the CSV keeps it whole), so that it does not widen
// every row.
TEST(AnimalsTest, LongIdsCutInTheAlignedTableOnly) {
  MemoryFileSystem folder = CleanFolder();
  const std::string id(100, 'x');
  std::string& ids = folder.files["ids.csv"];
  ids.replace(ids.find("DE4"), 3, id);
  EXPECT_NE(List(folder, true).out.find("\r\n4,1,4," + id + ",4,"), std::string::npos);
  const std::string aligned = List(folder, false).out;
  EXPECT_NE(aligned.find("  " + std::string(60, 'x') + "\u2026  "), std::string::npos) << aligned;
  EXPECT_EQ(aligned.find(std::string(61, 'x')), std::string::npos);
}

TEST(AnimalsTest, StoppedRunListsTheAnimalsReadAndExitsOne) {
  struct Case {
    const char* name;
    std::vector<PassportRow> rows;
    std::string csv;
    std::string err;
  };
  const std::string header =
      "position,family,individual,id,ini_id,copy_of,generation,inbreeding,breed1,breed2,ecg,"
      "complete\r\n";
  const std::vector<Case> cases = {
      {"3 and 4 are each other's fathers: no blood, and no figures for them or 5",
       {{1, 1, 0, 0, 1, 1, 1},
        {1, 2, 0, 0, 2, 2, 2},
        {1, 3, 4, 2, 0, 1, 3},
        {1, 4, 3, 2, 0, 1, 4},
        {1, 5, 3, 2, 0, 1, 5},
        {1, 6, 1, 2, 0, 2, 6}},
       header + "1,1,1,,1,,0,0.000000,,,0.0000,0\r\n2,1,2,,2,,0,0.000000,,,0.0000,0\r\n"
                "3,1,3,,3,,,,,,,\r\n4,1,4,,4,,,,,,,\r\n5,1,5,,5,,,,,,,\r\n"
                "6,1,6,,6,,1,0.000000,,,1.0000,1\r\n",
       "pedprep animals: the run stops: the blood step finds no breed fractions for an animal "
       "that is its own ancestor, or descends from one: animal 3 of family 1 (data line 3, "
       "ini_id 3); animal 4 of family 1 (data line 4, ini_id 4); animal 5 of family 1 (data "
       "line 5, ini_id 5); the rows are the animals read\n"},
      {"the third record has one parent: the reading ends before it",
       {{1, 1, 0, 0, 1, 1, 1}, {1, 2, 0, 0, 2, 2, 2}, {1, 3, 1, 0, 0, 1, 3}},
       header + "1,1,1,,1,,0,0.000000,,,0.0000,0\r\n2,1,2,,2,,0,0.000000,,,0.0000,0\r\n",
       "pedprep animals: the run stops: a passport error: animal 3 of family 1 (data line 3) "
       "has one parent known and the other unknown; the rows are the animals read\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem folder;
    testing::PutCleanInputs(folder);
    folder.files["PEDIGREE.PRN"] = PassportText(static_cast<long>(c.rows.size()), 2, c.rows);
    const Listed r = List(folder, true);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, c.csv);
    EXPECT_EQ(r.err, c.err);
  }
}

// A run stopped after the blood step (here at the copy limit) still lists its fractions, for
// the animals read and not the copies made before the stop.
TEST(AnimalsTest, RunStoppedAfterTheBloodStepKeepsItsFractions) {
  const std::vector<PassportRow> rows =
      testing::PassportRows(testing::SireDaughterLoops(kMaxBreaks + 1));
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  folder.files["PEDIGREE.PRN"] = PassportText(static_cast<long>(rows.size()), 2, rows);
  const Listed r = List(folder, true);
  EXPECT_EQ(r.status, 1);
  std::istringstream lines(r.out);
  std::string line;
  std::getline(lines, line);
  long count = 0;
  while (std::getline(lines, line)) {
    ++count;
    SCOPED_TRACE(line);
    EXPECT_EQ(line.find(",,,"), std::string::npos);              // only id and copy_of are empty
    EXPECT_NE(line.find(",1.0000,0.0000,"), std::string::npos);  // every animal is of breed 1
  }
  EXPECT_EQ(count, static_cast<long>(rows.size()));
  EXPECT_NE(r.err.find("limit of 4,096 copies"), std::string::npos) << r.err;
}

TEST(AnimalsTest, UnreadableInputIsAnInputErrorWithNothingListed) {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  folder.files.erase("PEDIGREE.PRN");
  const Listed r = List(folder, true);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("PEDIGREE.PRN"), std::string::npos);
}

}  // namespace
}  // namespace pedprep
