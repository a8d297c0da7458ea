#include "driver/sex_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::FillStore;
using testing::FounderFamily;
using testing::PassportRow;
using testing::TestRun;

struct Case {
  const char* name;
  std::vector<PassportRow> rows;
  std::string output;
  int mm;
};

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestRun run;
    FillStore(run.ctx->store, c.rows);
    TESTSEX(*run.ctx);
    EXPECT_EQ(run.console.output, c.output);
    EXPECT_EQ(run.ctx->store.MM, c.mm);
  }
}

TEST(TestsexTest, CleanFamiliesPassSilently) {
  RunCases({
      {"founders and children",
       {{1, 1, 0, 0, 1, 1, 1},
        {1, 2, 0, 0, 2, 2, 2},
        {1, 3, 1, 2, 0, 2, 3},
        {1, 4, 1, 3, 0, 1, 4},
        {2, 1, 0, 0, 1, 2, 5},
        {2, 2, 0, 0, 1, 1, 6},
        {2, 3, 2, 1, 0, 1, 7}},
       "",
       0},
      {"negative parent numbers are not tested", {{1, 1, -3, -4, 0, 1, 1}}, "", 0},
  });
}

TEST(TestsexTest, NumberingAndFamilyNumber) {
  RunCases({
      {"members 1, 2, 4",
       {{1, 1, 0, 0, 1, 1, 1}, {1, 2, 0, 0, 1, 1, 2}, {1, 4, 0, 0, 1, 1, 3}},
       "ERROR OF NUMERATION: IS=  1 nom=  3    4\n",
       1},
      {"first family number 5, then 1",
       {{5, 1, 0, 0, 1, 1, 1}, {1, 1, 0, 0, 1, 1, 2}, {1, 2, 0, 0, 1, 1, 3}},
       "ERROR OF FAMILY NUMBER: is=  1 i=  1\n"
       "ERROR OF FAMILY NUMBER: is=  2 i=  2\n"
       "ERROR OF FAMILY NUMBER: is=  2 i=  3\n",
       1},
  });
}

TEST(TestsexTest, ParentOutOfFamily) {
  // Family 1 holds positions 1-2, family 2 positions 3-5: INS = (2, 0, 2, 5, 0, 0).
  auto rows = [](long father, long mother) {
    return std::vector<PassportRow>{{1, 1, 0, 0, 1, 1, 1},
                                    {1, 2, 0, 0, 1, 2, 2},
                                    {2, 1, 0, 0, 1, 1, 3},
                                    {2, 2, 0, 0, 1, 2, 4},
                                    {2, 3, father, mother, 0, 1, 5}};
  };
  // The father's line: position 5, family size 3, ";", INS(1..5), the fifth entry wrapped
  // onto a line of its own. The mother's line: INS(1..6) alone.
  const std::string record = "ERROR OF PARENTS NUMERATION: IS=  2 i=  3\n";
  const std::string father_line =
      "          5           3;          2           0           2           5\n"
      "          0\n";
  const std::string mother_line =
      "          2           0           2           5           0           0\n";
  RunCases({
      {"father 5", rows(5, 2), record + father_line, 1},
      {"mother 7", rows(1, 7), record + mother_line, 1},
      {"both", rows(4, 4), record + father_line + record + mother_line, 1},
      {"father equal to the family size passes", rows(3, 2), "", 0},
  });
}

TEST(TestsexTest, ParentRoleOfTheOtherSex) {
  const std::string male_as_mother = "SEX ERROR: IS=  1 PERSON=  1\n          2\n";
  RunCases({
      {"male named as mother twice",
       {{1, 1, 0, 0, 1, 1, 1}, {1, 2, 0, 0, 1, 1, 2}, {1, 3, 2, 1, 0, 2, 3}, {1, 4, 2, 1, 0, 2, 4}},
       male_as_mother + male_as_mother,
       1},
      {"female named as father",
       {{1, 1, 0, 0, 1, 2, 1}, {1, 2, 0, 0, 1, 2, 2}, {1, 3, 1, 2, 0, 1, 3}},
       "SEX ERROR: IS=  1 PERSON=  1\n          2\n",
       1},
      {"blank individual number, male",
       {{1, 1, 0, 0, 1, 1, 1}, {1, 0, 0, 0, 1, 1, 2}, {1, 3, 1, 2, 0, 2, 3}},
       "ERROR OF NUMERATION: IS=  1 nom=  2    0\n"
       "SEX ERROR: IS=  1 PERSON=  0\n          2\n"
       "SEX ERROR: IS=  1 PERSON=  0\n          2\n",
       1},
      {"sex codes other than 1 and 2",
       {{1, 1, 0, 0, 1, 0, 1}, {1, 2, 0, 0, 1, 3, 2}, {1, 3, 0, 0, 1, 2, 3}},
       "SEX ERROR: IS=  1 PERSON=  1\n          1\n"
       "SEX ERROR: IS=  1 PERSON=  2\n          1\n",
       1},
  });
}

TEST(TestsexTest, EveryFamilyAndEveryTestIsReported) {
  // Family 1 is clean; family 2 and 3 both fail: all messages in family, position and
  // test order.
  RunCases({
      {"three families",
       {{1, 1, 0, 0, 1, 1, 1}, {2, 1, 0, 0, 1, 1, 2}, {2, 3, 1, 9, 0, 1, 3}, {3, 2, 0, 0, 1, 2, 4}},
       "ERROR OF NUMERATION: IS=  2 nom=  2    3\n"
       "ERROR OF PARENTS NUMERATION: IS=  2 i=  2\n"
       "          3           0           1           3           4           0\n"
       "ERROR OF NUMERATION: IS=  3 nom=  1    2\n",
       1},
  });
}

TEST(TestsexTest, WideValuesPrintAsAsterisks) {
  std::vector<PassportRow> rows;
  for (int f = 1; f <= 1000; ++f) rows.push_back({f, 1, 0, 0, 1, 1, f});
  rows.push_back({1002, 1000, 0, 0, 1, 1, 0});
  TestRun run;
  FillStore(run.ctx->store, rows);
  TESTSEX(*run.ctx);
  EXPECT_EQ(run.console.output,
            "ERROR OF FAMILY NUMBER: is=*** i=***\n"
            "ERROR OF NUMERATION: IS=*** nom=  1  ***\n");
  EXPECT_EQ(run.ctx->store.INS[1], 1001);
}

TEST(TestsexTest, FamilyCapacity) {
  std::vector<PassportRow> rows;
  for (int f = 1; f <= kMaxFamilies; ++f) rows.push_back({f, 1, 0, 0, 1, 1, f});
  {
    TestRun run;
    FillStore(run.ctx->store, rows);
    TESTSEX(*run.ctx);
    EXPECT_EQ(run.console.output, "");
    EXPECT_EQ(run.ctx->store.INS[1], kMaxFamilies);
  }
  rows.push_back({kMaxFamilies + 1, 1, 0, 0, 1, 1, 0});
  TestRun run;
  FillStore(run.ctx->store, rows);
  EXPECT_THROW(TESTSEX(*run.ctx), RunStopped);
  EXPECT_EQ(run.console.output,
            "ERROR: max. number of families is 2600 \n" + std::string(kPausePrompt) + "\n");
}

}  // namespace
}  // namespace pedprep
