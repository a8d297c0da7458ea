#include "reports/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "figures/run_facts.h"
#include "testing/fakes.h"
#include "testing/pedigree_fixture.h"
#include "testing/run_folder.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::PassportRow;
using testing::PassportText;

struct Reported {
  int status = 0;
  std::string out, err;
};

Reported Report(MemoryFileSystem& folder, bool csv) {
  std::ostringstream out, err;
  Reported r;
  r.status = WithRunFacts(folder, err,
                          [&](const RunFacts& facts) { return RunReport(facts, csv, out, err); });
  r.out = out.str();
  r.err = err.str();
  return r;
}

MemoryFileSystem CleanFolder() {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  folder.files["ids.csv"] =
      "ini_id,id,family,individual,added\r\n1,DE1,1,1,0\r\n4,DE4,1,4,0\r\n6,DE6,2,1,0\r\n";
  return folder;
}

// The founders section's reference population: a file of ids (every unknown one named, with
// its line), or the animals born from a year, which needs ids.csv's column born.
TEST(ReportTest, ReferencePopulationAsTheUserSays) {
  struct Case {
    const char* name;
    std::string ids;
    ReferenceChoice choice;
    int status;
    std::string heading;  // the founders section's first line, or the error
  };
  const std::string header = "ini_id,id,family,individual,added,note,born\r\n";
  const std::vector<Case> cases = {
      {"a file",
       header + "5,DE5,1,5,,,2001\r\n",
       {"ref.txt", "DE5\r\n\r\n2:3\n", {}},
       0,
       "Founders (reference population: the 2 animals of ref.txt)"},
      {"unknown ids",
       header,
       {"ref.txt", "DE5\n1:9\n 1:2 \n", {}},
       1,
       "pedprep report: ref.txt names no animal read (a herd-book id of ids.csv or "
       "FAMILY:INDIVIDUAL) at line 1: DE5, line 2: 1:9\n"},
      {"born from",
       header + "5,DE5,1,5,,,2001\r\n4,DE4,1,4,,,2000\r\n",
       {"", "", 2001},
       0,
       "Founders (reference population: the 1 animal born in 2001 or later)"},
      // 2 is a dummy: 3 and 4 have one parent known and are not in the reference.
      {"a dummy parent",
       header + "2,,1,2,dummy,,\r\n",
       {},
       0,
       "Founders (reference population: the 2 animals with both parents known)"},
      {"no column born",
       "ini_id,id\r\n",
       {"", "", 2001},
       1,
       "pedprep report: ids.csv gives no year of birth (its column born), so "
       "--reference-born-from cannot choose\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem folder;
    testing::PutCleanInputs(folder);
    folder.files["ids.csv"] = c.ids;
    std::ostringstream out, err;
    EXPECT_EQ(WithRunFacts(folder, err,
                           [&](const RunFacts& facts) {
                             return RunReport(facts, false, out, err, c.choice);
                           }),
              c.status);
    if (c.status != 0) {
      EXPECT_EQ(err.str(), c.heading);
      EXPECT_EQ(out.str(), "");
    } else {
      EXPECT_NE(out.str().find("\n" + c.heading + "\nfounders: "), std::string::npos) << out.str();
    }
  }
}

TEST(ReportTest, CleanFolderInWordsAndNumbers) {
  MemoryFileSystem folder = CleanFolder();
  // An animal appended without raising the header's count.
  folder.files["PEDIGREE.PRN"] += "    2    4    1    2    0    1    9\r\n\r\n";
  const Reported r = Report(folder, false);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, R"(The run finishes: ped.dat holds 11 rows.

Families
  family  animals read  loop-break copies  parent copies  rows
       1             5                  1              2     8
       2             3                  0              0     3
   total             8                  1              2    11

Inbreeding and breed composition per family (animals read, dummy parents left out)
  family  animals    mean F     max F  breed1  breed2
       1        5  0.050000  0.250000  0.5000  0.5000
       2        3  0.000000  0.000000  0.5000  0.5000

Founders (reference population: the 4 animals with both parents known)
founders: 4
mean equivalent complete generations: 1.2500
effective number of founders: 3.20
effective number of ancestors: 3.20
effective population size: 2.00
caution: the mean equivalent complete generations are below 2 (a shallow pedigree): fe, fa and Ne say little
caution: the reference population holds 4 animals, fewer than 20

  family  reference  founders  mean ecg    fe    fa    Ne
       1          3         2    1.3333  2.00  2.00  2.00
       2          1         2    1.0000  2.00  2.00

  breed   founders  contribution  largest contributions
  breed1         2        0.5000  DE1 0.3750, ini_id 7 0.1250
  breed2         2        0.5000  ini_id 2 0.3750, DE6 0.1250

Loop-break copies: 1
  family  copy  position  original  ini_id  given to the children of  id
       1     6         6         4       4  father 3, mother 4        DE4

Copies per copied animal: 1 animals
  family  original  ini_id  copies  id
       1         4       4       1  DE4

Parent copies of the reconstruction: 2
  family  copy  position  original  ini_id  made for  id
       1     7         7         1       1         6  DE1
       1     8         8         2       2         6

Capacities used
                     used      of
  rows                 11  24,096
  loop-break copies     1   4,096
  families              2   2,600

Passed over in silence
  PEDIGREE.PRN records after the header's count (not read): 1
  marker records whose identifier matches no animal: 0
  animals without a marker record: 5 (ini_id 2, 3, 4 (DE4), 6 (DE6), 8)
)");
  // Nothing is written to the folder.
  EXPECT_TRUE(testing::OutputsPresent(folder).empty());

  const Reported csv = Report(folder, true);
  EXPECT_EQ(csv.status, 0);
  EXPECT_EQ(csv.out,
            "kind,family,copy,position,original,ini_id,id\r\n"
            "loop,1,6,6,4,4,DE4\r\n"
            "parent,1,7,7,1,1,DE1\r\n"
            "parent,1,8,8,2,2,\r\n");
}

// Ids from ids.csv reach the terminal escaped in every section (ESC and the C1 control
// U+009B here), the founders' contributions included.
TEST(ReportTest, IdsWithControlsEscapedEverywhere) {
  MemoryFileSystem folder = CleanFolder();
  folder.files["ids.csv"] =
      "ini_id,id,family,individual,added\r\n1,E\x1b]0;t\x07,1,1,0\r\n"
      "4,C\xc2\x9b"
      "4,1,4,0\r\n";
  const Reported r = Report(folder, false);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find_first_of("\x1b\x07\r"), std::string::npos);
  EXPECT_EQ(r.out.find("\xc2\x9b"), std::string::npos);
  EXPECT_NE(r.out.find("E\\x1B]0;t\\x07 0.3750"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("4 (C\\xC2\\x9B4)"), std::string::npos) << r.out;
}

// The totals are the rows of the run's own ped.dat.
TEST(ReportTest, TotalEqualsTheRunsTable) {
  testing::FolderRun run;
  ASSERT_EQ(run.Run(), 0);
  MemoryFileSystem folder = CleanFolder();
  const Reported r = Report(folder, false);
  EXPECT_NE(r.out.find("ped.dat holds " + std::to_string(std::stoi(run.TableCount())) + " rows"),
            std::string::npos)
      << r.out;
}

TEST(ReportTest, WhyAndWhereTheRunStops) {
  struct Case {
    const char* name;
    std::vector<PassportRow> rows;
    std::string first_line;
  };
  const std::vector<Case> cases = {
      {"one parent",
       {{1, 1, 0, 0, 1, 1, 1}, {1, 2, 1, 0, 0, 2, 4}},
       "The run stops: a passport error: animal 2 of family 1 (data line 2) has one parent "
       "known and the other unknown."},
      {"own ancestor",
       {{1, 1, 2, 3, 0, 1, 1}, {1, 2, 1, 3, 0, 1, 2}, {1, 3, 0, 0, 1, 2, 3}},
       "The run stops: the blood step finds no breed fractions for an animal that is its own "
       "ancestor, or descends from one: animal 1 of family 1 (data line 1, ini_id 1, id DE1); "
       "animal 2 of family 1 (data line 2, ini_id 2)."},
      {"sex",
       {{1, 1, 0, 0, 1, 2, 1}, {1, 2, 0, 0, 1, 2, 2}, {1, 3, 1, 2, 0, 1, 3}},
       "The run stops: the passport check finds errors: animal 1 of family 1 (ini_id 1, id DE1) "
       "is a parent in the role of the other sex."},
      {"family numbers",
       {{1, 1, 0, 0, 1, 1, 1}, {3, 1, 0, 0, 1, 1, 2}},
       "The run stops: a passport error: the family numbers must run 1, 2, 3, ... in file "
       "order; data line 2 breaks the run."},
      {"4,096 copies", testing::PassportRows(testing::SireDaughterLoops(kMaxBreaks + 1)),
       "The run stops: the loop breaking reaches the limit of 4,096 copies in family 65."},
      {"numbering",
       {{1, 1, 0, 0, 1, 1, 1}, {1, 3, 0, 0, 1, 2, 2}},
       "The run stops: the passport check finds errors: member 2 of family 1 carries individual "
       "number 3 (numbers must run 1, 2, 3, ...)."},
      {"sex code and parent number",
       {{1, 1, 0, 0, 1, 7, 1}, {1, 2, 5, 1, 0, 2, 2}},
       "The run stops: the passport check finds errors: animal 1 of family 1 (ini_id 1, id DE1) "
       "has a sex code other than 1 or 2; member 2 of family 1 names a parent number beyond the "
       "family."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem folder = CleanFolder();
    folder.files["PEDIGREE.PRN"] = PassportText(static_cast<long>(c.rows.size()), 2, c.rows);
    const Reported r = Report(folder, false);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), c.first_line);
    EXPECT_NE(r.out.find("markers: not matched, the run stops before"), std::string::npos);
    const Reported csv = Report(folder, true);
    EXPECT_EQ(csv.err, "pedprep report: the run stops: " +
                           c.first_line.substr(std::string("The run stops: ").size(),
                                               c.first_line.size() - 16) +
                           "\n");
  }
}

// A run stopped at the copy limit counts as read exactly the animals of the passport file.
TEST(ReportTest, StoppedRunCountsTheAnimalsRead) {
  const std::vector<PassportRow> rows =
      testing::PassportRows(testing::SireDaughterLoops(kMaxBreaks + 1));
  MemoryFileSystem folder = CleanFolder();
  folder.files["PEDIGREE.PRN"] = PassportText(static_cast<long>(rows.size()), 2, rows);
  const Reported r = Report(folder, false);
  std::istringstream lines(r.out);
  std::string line;
  while (std::getline(lines, line) && line.find(" total ") == std::string::npos) {
  }
  line.erase(std::remove(line.begin(), line.end(), ','), line.end());  // 16,388: grouped
  std::istringstream total(line);
  std::string word;
  long read = 0, loop = 0;
  total >> word >> read >> loop;
  EXPECT_EQ(read, static_cast<long>(rows.size())) << line;
  EXPECT_EQ(loop, kMaxBreaks) << line;
  // The copies have no position yet: the CSV's position field stays empty, never 0.
  const std::string csv = Report(folder, true).out;
  EXPECT_NE(csv.find("\r\nloop,"), std::string::npos) << csv.substr(0, 200);
  EXPECT_EQ(csv.find(",0,"), std::string::npos);
}

// A stopped run's report says what to do, from the stop's data.
TEST(ReportTest, WayForwardOfEachKindOfStop) {
  struct Case {
    const char* name;
    std::vector<PassportRow> rows;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"copy limit",
       testing::PassportRows(testing::SireDaughterLoops(kMaxBreaks + 1)),
       {"(animals and copies). The 16,388 animals as read need at least 4,097 copies;",
        "  family  animals  copies needed\n       1      256             64\n",
        "pedprep import HERDBOOK --keep FILE --generations N"}},
      {"own ancestor",
       {{1, 1, 2, 3, 0, 1, 1}, {1, 2, 1, 3, 0, 1, 2}, {1, 3, 0, 0, 1, 2, 3}},
       {"  An animal is its own ancestor: animal 2 of family 1 -> DE1 -> animal 2 of family 1 "
        "(each a parent of the next).\n"}},
      {"one parent",
       {{1, 1, 0, 0, 1, 1, 1}, {1, 2, 1, 0, 0, 2, 4}},
       {"    data line 2: \"    1    2    1    0    0    2    4\"\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem folder = CleanFolder();
    folder.files["PEDIGREE.PRN"] = PassportText(static_cast<long>(c.rows.size()), 2, c.rows);
    const Reported r = Report(folder, false);
    for (const std::string& line : c.lines) EXPECT_NE(r.out.find(line), std::string::npos) << r.out;
  }
}

// The silent pass-overs list each unmatched identifier once, in file order, at most 20 of
// them; the count is exact.
TEST(ReportTest, UnmatchedMarkerIdentifiersListedOnceAtMost20) {
  // Records for the animals 1, 5 and 7, then one for each of `kods`.
  auto markers = [](std::vector<int> kods) {
    kods.insert(kods.begin(), {1, 5, 7});
    std::string text = std::to_string(kods.size());
    text = std::string(5 - text.size(), ' ') + text + "  3  1  2  3\r\n";
    for (int kod : kods) {
      const std::string id = std::to_string(kod);
      text += std::string(5 - id.size(), ' ') + id + "    1    2    3\r\n";
    }
    return text;
  };
  auto range = [](int first, int last) {
    std::vector<int> kods;
    for (int kod = first; kod <= last; ++kod) kods.push_back(kod);
    return kods;
  };
  auto listed = [](int first, int last) {
    std::string text;
    for (int kod = first; kod <= last; ++kod) {
      text += (kod == first ? "" : ", ") + std::to_string(kod);
    }
    return text;
  };
  struct Case {
    const char* name;
    std::vector<int> kods;
    std::string line;
  };
  std::vector<int> twenty = range(101, 120);
  twenty.insert(twenty.begin() + 3, {1, 101, 5, 102, 7});
  const std::vector<Case> cases = {
      {"none", {5, 1}, "0"},
      {"repeated", {101, 5, 102, 101, 7, 102, 101}, "2 (identifiers 101, 102)"},
      {"twenty", twenty, "20 (identifiers " + listed(101, 120) + ")"},
      {"twenty-one", range(101, 121), "21 (identifiers " + listed(101, 120) + ", ...)"},
      {"thirty, negative", range(-30, -1), "30 (identifiers " + listed(-30, -11) + ", ...)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem folder = CleanFolder();
    folder.files["database/markers.dat"] = markers(c.kods);
    const Reported r = Report(folder, false);
    EXPECT_EQ(r.status, 0);
    const std::string label = "  marker records whose identifier matches no animal: ";
    const std::size_t at = r.out.find(label);
    ASSERT_NE(at, std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(at),
              label + c.line +
                  "\n  animals without a marker record: 5 (ini_id 2, 3, 4 (DE4), 6 "
                  "(DE6), 8)\n");
  }
}

// Per family over the animals read: the mean and the largest inbreeding coefficient, and the
// mean breed composition when the blood step ended.
TEST(ReportTest, InbreedingAndBreedCompositionPerFamily) {
  struct Case {
    const char* name;
    std::vector<PassportRow> rows;  // empty: the clean passport
    std::string section;
    std::string dummies{};  // ids.csv rows added
  };
  const std::vector<Case> cases = {
      {"the clean folder: 5 is the child of full sibs",
       {},
       "Inbreeding and breed composition per family (animals read, dummy parents left out)\n"
       "  family  animals    mean F     max F   Angus  Hereford\n"
       "       1        5  0.050000  0.250000  0.5000    0.5000\n"
       "       2        3  0.000000  0.000000  0.5000    0.5000\n"},
      // A dummy parent is not an animal of the herd book: 5's F (1/4) over the other four.
      {"2 a dummy",
       {},
       "Inbreeding and breed composition per family (animals read, dummy parents left out)\n"
       "  family  animals    mean F     max F   Angus  Hereford\n"
       "       1        4  0.062500  0.250000  0.6250    0.3750\n"
       "       2        3  0.000000  0.000000  0.5000    0.5000\n",
       "2,,1,2,dummy\r\n"},
      {"3 and 4 are each other's fathers: no blood, no F for them or 5",
       {{1, 1, 0, 0, 1, 1, 1},
        {1, 2, 0, 0, 2, 2, 2},
        {1, 3, 4, 2, 0, 1, 3},
        {1, 4, 3, 2, 0, 1, 4},
        {1, 5, 3, 2, 0, 1, 5},
        {1, 6, 1, 2, 0, 2, 6},
        {2, 1, 0, 0, 1, 1, 7},
        {2, 2, 0, 0, 1, 1, 8}},
       "Inbreeding and breed composition per family (animals read, dummy parents left out; no "
       "breed fractions: the run stops before the blood step ends)\n"
       "  family  animals    mean F     max F\n"
       "       1        6  0.000000  0.000000\n"
       "       2        2  0.000000  0.000000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem folder = CleanFolder();
    folder.files["ids.csv"] += c.dummies;
    if (!c.rows.empty()) {
      folder.files["PEDIGREE.PRN"] = PassportText(static_cast<long>(c.rows.size()), 2, c.rows);
    }
    std::string& passport = folder.files["PEDIGREE.PRN"];
    passport.replace(passport.find("comment line 2"), 14, "breeds: 1=Angus 2=Hereford");
    const Reported r = Report(folder, false);
    EXPECT_EQ(r.status, 0);
    const std::size_t start = r.out.find("Inbreeding and breed composition");
    ASSERT_NE(start, std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(start, r.out.find("\n\n", start) + 1 - start), c.section);
  }
}

TEST(ReportTest, UnreadableFiles) {
  struct Case {
    const char* file;
    std::string contents;  // "" = removed
    std::string err;
  };
  const std::vector<Case> cases = {
      {"PEDIGREE.PRN", "", "INPUT ERROR: open of PEDIGREE.PRN: file not found\n"},
      {"ids.csv", "ini_id,id\r\nx,DE1\r\n",
       "INPUT ERROR: read of ids.csv, record 2: expected an integer ini_id, found \"x\"\n"},
      {"ids.csv", "ini_id,id\r\n1\r\n",
       "INPUT ERROR: read of ids.csv, record 2: expected 2 fields as in the header, found 1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    MemoryFileSystem folder = CleanFolder();
    if (c.contents.empty()) {
      folder.files.erase(c.file);
    } else {
      folder.files[c.file] = c.contents;
    }
    const Reported r = Report(folder, false);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
}

}  // namespace
}  // namespace pedprep
