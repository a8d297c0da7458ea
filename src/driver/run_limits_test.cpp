// Whole runs at the capacities of the store and of its stages: each limit at its edge runs
// through, one past it ends with the limit's message, the stop line and no output file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/run_driver.h"
#include "core/pedigree_store.h"
#include "testing/test_run.h"
#include "testing/run_folder.h"

namespace pedprep {
namespace {

using testing::PassportRow;
using testing::PassportText;
using testing::TestRun;

const std::string kPrompt = "Pause - Please enter a blank line (to continue) or a DOS command.\n";
const std::string kStop = "Stop - Program terminated.\n";
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
struct LimitRun : TestRun {
  LimitRun(const std::vector<PassportRow>& rows, long nrac, const std::string& database) {
    testing::PutCleanInputs(files);
    files.files["PEDIGREE.PRN"] = PassportText(static_cast<long>(rows.size()), nrac, rows);
    files.files["database/pedigree.dat"] = database;
    console.answers = {""};
  }
  // The count record of ped.dat ("" when it was not written).
  std::string TableCount() {
    auto it = files.files.find("ped.dat");
    return it == files.files.end() ? "" : it->second.substr(0, it->second.find('\r'));
  }
};

// The last `bytes` of `text`.
std::string Tail(const std::string& text, std::size_t bytes) {
  return text.size() < bytes ? text : text.substr(text.size() - bytes);
}

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

// Family 1: founders 1 and 2, their son 3 and daughter 4, and the child 5 of 3 and 4: one
// loop, broken by one copy of an individual whose identifier is 3 or 4.
void AddFullSibLoop(std::vector<PassportRow>& rows) {
  rows.push_back({1, 1, 0, 0, 1, 1, 1});
  rows.push_back({1, 2, 0, 0, 1, 2, 2});
  rows.push_back({1, 3, 1, 2, 0, 1, 3});
  rows.push_back({1, 4, 1, 2, 0, 2, 4});
  rows.push_back({1, 5, 3, 4, 0, 1, 5});
}

// Founders, ten to a family from `family` on, until the passport has `total` rows.
void FillWithFounders(std::vector<PassportRow>& rows, long family, int total) {
  for (long number = 1; static_cast<int>(rows.size()) < total; ++number) {
    if (number > 10) {
      number = 1;
      ++family;
    }
    rows.push_back({family, number, 0, 0, 1, 1, static_cast<long>(rows.size()) + 1});
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
  EXPECT_EQ(RunPedprep(*run.ctx), 0);
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
    TestRun run;
    testing::PutCleanInputs(run.files);
    run.files.files["PEDIGREE.PRN"] = c.passport;
    run.console.answers = {"echo x"};
    EXPECT_EQ(RunPedprep(*run.ctx), kExitStopped);
    EXPECT_EQ(run.console.output, c.output + kPrompt + kStop);
    EXPECT_EQ(run.shell.commands, std::vector<std::string>{"echo x"});
    EXPECT_TRUE(testing::OutputsPresent(run.files).empty());
  }
}

// `loops` sire-daughter loops, 64 to a family: each needs one loop-break copy.
std::vector<PassportRow> SireDaughterLoops(int loops) {
  std::vector<PassportRow> rows;
  for (int loop = 0; loop < loops; ++loop) {
    const long family = 1 + loop / 64;
    const long base = 4 * (loop % 64);
    const long id = static_cast<long>(rows.size());
    rows.push_back({family, base + 1, 0, 0, 1, 1, id + 1});
    rows.push_back({family, base + 2, 0, 0, 2, 2, id + 2});
    rows.push_back({family, base + 3, base + 1, base + 2, 0, 2, id + 3});
    rows.push_back({family, base + 4, base + 1, base + 3, 0, 2, id + 4});
  }
  return rows;
}

TEST(RunLimitsTest, LoopBreakCopiesUpTo4096) {
  LimitRun run(SireDaughterLoops(kMaxBreaks), 2, Database(8, {}));
  EXPECT_EQ(RunPedprep(*run.ctx), 0);
  EXPECT_EQ(Tail(run.console.output, kSuccessEnd.size()), kSuccessEnd);
  EXPECT_EQ(run.TableCount(), std::to_string(5 * kMaxBreaks));
}

TEST(RunLimitsTest, LoopBreakCopy4097IsRefused) {
  LimitRun run(SireDaughterLoops(kMaxBreaks + 1), 2, Database(8, {}));
  EXPECT_EQ(RunPedprep(*run.ctx), kExitStopped);
  const std::string end =
      "BREAKAGE: NFA,NMA          1           3\n"
      "ERROR: max. number of loop breaks is 4096 \n" +
      kStop;
  EXPECT_EQ(Tail(run.console.output, end.size()), end);
  EXPECT_TRUE(testing::OutputsPresent(run.files).empty());
}

struct GrowthCase {
  const char* name;
  int rows;  // passport rows: the loop family, then founders
  std::vector<int> nation_nine;
  bool fits;
};

// One run per case on the full-sib loop family followed by founders.
void ExpectGrowth(const std::vector<GrowthCase>& cases) {
  const std::string break_lines =
      "          4\n"
      "          1           4\n"
      "BREAKAGE: NFA,NMA          3           4\n";
  for (const GrowthCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<PassportRow> rows;
    AddFullSibLoop(rows);
    FillWithFounders(rows, 2, c.rows);
    LimitRun run(rows, 1, Database(8, c.nation_nine));
    EXPECT_EQ(RunPedprep(*run.ctx), c.fits ? kExitSuccess : kExitStopped);
    if (c.fits) {
      EXPECT_EQ(run.console.output, break_lines + kSuccessEnd);
      EXPECT_EQ(run.TableCount(), std::to_string(kMaxRows));
    } else {
      EXPECT_EQ(run.console.output, break_lines + "ERROR: max. sample size is N4096 \n" + kStop);
      EXPECT_TRUE(testing::OutputsPresent(run.files).empty());
    }
  }
}

TEST(RunLimitsTest, GrowthByALoopBreakCopy) {
  ExpectGrowth({{"copy fills the last row", kMaxRows - 1, {}, true},
                {"copy past the last row", kMaxRows, {}, false}});
}

TEST(RunLimitsTest, GrowthByParentCopies) {
  // The copy's database individual has nation code 9: two parent copies follow it.
  ExpectGrowth({{"parent copies fill the last row", kMaxRows - 3, {1, 2, 3, 4, 5}, true},
                {"parent copies past the last row", kMaxRows - 2, {1, 2, 3, 4, 5}, false}});
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
  EXPECT_EQ(RunPedprep(*run.ctx), 0);
  EXPECT_EQ(run.console.output, kSuccessEnd);
  const std::string& table = run.files.files["ped.dat"];
  const std::string records =
      "    1    1    0    0    2    1    0   10    0\r\n"
      "    1    2    0    0    2    2   -7   20    0\r\n"
      "    1    3    1    2    2    132767   30    5\r\n"
      "    1    4    1    2    2    224097   40    3\r\n"
      "    1    5    0    0    1    2    1   50    2\r\n";
  ASSERT_GE(table.size(), records.size());
  EXPECT_EQ(table.substr(table.size() - records.size()), records);
}

TEST(RunLimitsTest, MarkerValuesPerRecord) {
  // 20 values: the header's and every record's twentieth value stand in columns 1-5 of
  // the record after it.
  std::string twenty = "    2 20";
  for (int k = 1; k <= 19; ++k) twenty += "  " + std::to_string(k % 10);
  twenty += "\r\n    0\r\n";
  for (int id : {1, 8}) {
    twenty += "    " + std::to_string(id);
    for (int k = 1; k <= 19; ++k) twenty += "   " + std::to_string(10 * id + k);
    twenty += "\r\n" + std::to_string(100 + id) + "\r\n";
  }
  const std::string wrong = "ERROR: wrong marker definition \n" + kPrompt + kStop;
  struct Case {
    const char* name;
    std::string markers;
    const char* itr;
    std::string marker_column;  // marker values of ped.dat rows 1..11 (row 7 is a parent copy of
                                // identifier 1); empty: refused
  };
  const std::vector<Case> cases = {
      {"20 values, the 19th", twenty, "19", "29 0 0 0 0 0 29 0 0 0 99"},
      {"20 values, the 20th", twenty, "20", "101 0 0 0 0 0 101 0 0 0 108"},
      {"21 values", "    0 21\r\n", " 1", ""},
      {"value 0", testing::CleanMarkers(), " 0", ""},
      {"value 21", testing::CleanMarkers(), "21", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestRun run;
    testing::PutCleanInputs(run.files);
    run.files.files["database/markers.dat"] = c.markers;
    std::string definition = testing::CleanDefinition();
    definition.replace(definition.size() - 4, 2, c.itr);
    run.files.files["DEF.DAT"] = definition;
    EXPECT_EQ(RunPedprep(*run.ctx), c.marker_column.empty() ? kExitStopped : kExitSuccess);
    if (c.marker_column.empty()) {
      EXPECT_EQ(Tail(run.console.output, wrong.size()), wrong);
      EXPECT_TRUE(testing::OutputsPresent(run.files).empty());
      continue;
    }
    EXPECT_EQ(Tail(run.console.output, kSuccessEnd.size()), kSuccessEnd);
    // Column 8 of every table record.
    const std::string& table = run.files.files["ped.dat"];
    std::string column;
    for (std::size_t at = table.find("(20i5)"); (at = table.find('\n', at)) + 1 < table.size();) {
      ++at;
      if (!column.empty()) column += ' ';
      column += std::to_string(std::stoi(table.substr(at + 35, 5)));
    }
    EXPECT_EQ(column, c.marker_column);
  }
}

TEST(RunLimitsTest, LargeSibshipWithALoopRunsThrough) {
  // A couple with 301 children, two of whom have a child together.
  std::vector<PassportRow> rows;
  AddSibship(rows, 1, 301, 1, 1);
  rows.push_back({1, 304, 4, 3, 0, 1, 304});
  LimitRun run(rows, 1, Database(8, {}));
  EXPECT_EQ(RunPedprep(*run.ctx), 0);
  EXPECT_EQ(Tail(run.console.output, kSuccessEnd.size()), kSuccessEnd);
  EXPECT_NE(run.console.output.find("BREAKAGE: NFA,NMA"), std::string::npos);
  EXPECT_EQ(run.TableCount(), "  305");
}

// One family in which the loop search expands many individuals more than once: founders
// 1 and 2 with `daughters` sons; founders F and M with as many daughters; son i and
// daughter i have a daughter g. With `with_half_sibs`, every daughter also has a son by
// one more son of 1 and 2, and that son has a child with her daughter g.
std::vector<PassportRow> CrossedSibships(int daughters, bool with_half_sibs) {
  std::vector<PassportRow> rows;
  auto add = [&rows](long father, long mother, long sex) {
    const long number = static_cast<long>(rows.size()) + 1;
    rows.push_back({1, number, father, mother, father == 0 ? 1 : 0, sex, number});
    return number;
  };
  const long a = add(0, 0, 1);
  const long b = add(0, 0, 2);
  std::vector<long> sons, half_brothers, sisters, nieces, half_sibs;
  for (int i = 0; i < daughters; ++i) sons.push_back(add(a, b, 1));
  if (with_half_sibs) {
    for (int i = 0; i < daughters; ++i) half_brothers.push_back(add(a, b, 1));
  }
  const long f = add(0, 0, 1);
  const long m = add(0, 0, 2);
  for (int i = 0; i < daughters; ++i) sisters.push_back(add(f, m, 2));
  for (int i = 0; i < daughters; ++i) nieces.push_back(add(sons[i], sisters[i], 2));
  if (with_half_sibs) {
    for (int i = 0; i < daughters; ++i) half_sibs.push_back(add(half_brothers[i], sisters[i], 1));
    for (int i = 0; i < daughters; ++i) add(half_sibs[i], nieces[i], 1);
  }
  return rows;
}

TEST(RunLimitsTest, LoopSearchQueueOverflow) {
  struct Case {
    int daughters;
    bool with_half_sibs;
    const char* message;  // nullptr: the run goes through
  };
  const std::vector<Case> cases = {
      {153, false, nullptr},
      {154, false, "ERROR: K2 OVERFLOW 3\n"},  // a parent or an earlier sibling
      {163, false, "ERROR: K2 OVERFLOW 4\n"},  // a later sibling
      {151, true, "ERROR: K2 OVERFLOW 1\n"},   // the mate in a parent slot
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.daughters);
    LimitRun run(CrossedSibships(c.daughters, c.with_half_sibs), 1, Database(8, {}));
    EXPECT_EQ(RunPedprep(*run.ctx), c.message ? kExitStopped : kExitSuccess);
    if (c.message == nullptr) {
      EXPECT_EQ(Tail(run.console.output, kSuccessEnd.size()), kSuccessEnd);
      EXPECT_EQ(run.console.output.find("OVERFLOW"), std::string::npos);
      continue;
    }
    const std::string end = std::string(c.message) + kStop;
    EXPECT_EQ(Tail(run.console.output, end.size()), end);
    EXPECT_TRUE(testing::OutputsPresent(run.files).empty());
  }
}

}  // namespace
}  // namespace pedprep
