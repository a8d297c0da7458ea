#include "driver/passport_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/stop.h"
#include "records/input_error.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::FounderFamily;
using testing::PassportRow;
using testing::PassportText;
using testing::TestRun;

const std::string kPrompt = std::string(kPausePrompt) + "\n";

std::string NumerationMessage(const std::string& line_field) {
  return std::string(30, ' ') + "\n" + "ERROR of numeration, LINE" + line_field + "\n" +
         "Stop program; You must correct pasport data\n" +
         "*************************************  \n" + kPrompt;
}

TEST(ReadPassportTest, StoresEveryFieldOfEveryRecord) {
  TestRun run;
  run.files.files["PEDIGREE.PRN"] = PassportText(4, 2,
                                                 {{1, 1, 0, 0, 1, 1, 101},
                                                  {1, 2, 0, 0, 100, 2, -9999},
                                                  {1, 3, 1, 2, 0, 2, 32767},
                                                  {2, 1, 0, 0, 2, 1, 7}});
  ReadPassport(*run.ctx);
  const PedigreeStore& st = run.ctx->store;
  EXPECT_EQ(run.console.output, "");
  EXPECT_EQ(st.ND, 4);
  EXPECT_EQ(st.NRAC, 2);
  EXPECT_EQ(st.MAS0[3], 1);
  EXPECT_EQ(st.MAS0[4], 2);
  EXPECT_EQ(st.MAS[3][1], 3);
  EXPECT_EQ(st.MAS[3][2], 1);
  EXPECT_EQ(st.MAS[3][3], 2);
  EXPECT_EQ(st.MAS1[2][1], 100);
  EXPECT_EQ(st.MAS1[2][2], 2);
  EXPECT_EQ(st.MAS1[4][1], 2);
  EXPECT_EQ(st.INI_ID[1], 101);
  EXPECT_EQ(st.INI_ID[2], -9999);
  EXPECT_EQ(st.INI_ID[3], 32767);
  EXPECT_EQ(st.MAS0[5], 0);  // nothing beyond ND
}

TEST(ReadPassportTest, FieldsAreCheckedAgainstTheirRangesNotNarrowed) {
  // Header: third field and trailing text ignored. Data: text after column 35 ignored.
  const std::string head = "    1    1    9 header tail\r\n1\n2\n3\n4\n5\n6\n7\n";
  {
    TestRun run;
    run.files.files["PEDIGREE.PRN"] = head + "32767-9999    0    0  255    2-9999 trailing text\n";
    ReadPassport(*run.ctx);
    const PedigreeStore& st = run.ctx->store;
    EXPECT_EQ(run.console.output, "");
    EXPECT_EQ(st.MAS0[1], 32767);
    EXPECT_EQ(st.MAS[1][1], -9999);
    EXPECT_EQ(st.MAS1[1][1], 255);
    EXPECT_EQ(st.INI_ID[1], -9999);
  }
  const std::string report = "INPUT ERROR: read of PEDIGREE.PRN, record 9: integer out of range: ";
  for (const auto& [record, value] : std::vector<std::pair<std::string, std::string>>{
           {"65537    1    0    0    1    1    1", "65537"},
           {"    199999    0    0    1    1    1", "99999"},
           {"    1    132768    0    1    1    1", "32768"},
           {"    1    1    032768    1    1    1", "32768"},
           {"    1    1    0    0  356    1    1", "356"},
           {"    1    1    0    0    1  257    1", "257"},
           {"    1    1    0    0   -1    1    1", "-1"},
           {"    1    1    0    0    1    132768", "32768"},
       }) {
    SCOPED_TRACE(record);
    TestRun run;
    run.files.files["PEDIGREE.PRN"] = head + record + "\r\n";
    try {
      ReadPassport(*run.ctx);
      ADD_FAILURE() << "accepted";
    } catch (const InputError& e) {
      EXPECT_EQ(e.Report(), report + "\"" + value + "\"");
    }
  }
}

TEST(ReadPassportTest, HeaderLimits) {
  struct Case {
    long nd, nrac;
    std::string message;  // empty: accepted
  };
  const std::string size = "ERROR: max. sample size is N4096 \n";
  const std::string none = "ERROR: no individuals in the passport file \n";
  const std::string races = "ERROR: max. number of races is 10 \n";
  const std::vector<Case> cases = {
      {24097, 1, size}, {99999, 50, size}, {0, 1, none}, {-5, 1, none},
      {3, 11, races},   {3, -1, races},    {3, 10, ""},  {3, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.nd) + " " + std::to_string(c.nrac));
    TestRun run;
    run.console.answers = {"dir"};
    if (c.message.empty()) {
      run.files.files["PEDIGREE.PRN"] = PassportText(c.nd, c.nrac, FounderFamily(1, 3));
      ReadPassport(*run.ctx);
      EXPECT_EQ(run.console.output, "");
      EXPECT_EQ(run.ctx->store.NRAC, c.nrac);
    } else {
      // The header alone: a refused header stops before the text lines would be read.
      run.files.files["PEDIGREE.PRN"] = PassportText(c.nd, c.nrac, {}).substr(0, 12);
      EXPECT_THROW(ReadPassport(*run.ctx), RunStopped);
      EXPECT_EQ(run.console.output, c.message + kPrompt);
      EXPECT_EQ(run.shell.commands, std::vector<std::string>{"dir"});
    }
  }
}

TEST(ReadPassportTest, LargestSampleIsAccepted) {
  TestRun run;
  std::vector<PassportRow> rows;
  for (int i = 1; i <= kMaxRows; ++i)
    rows.push_back({1 + (i - 1) / 10, 1 + (i - 1) % 10, 0, 0, 1, 1, i % 30000});
  run.files.files["PEDIGREE.PRN"] = PassportText(kMaxRows, 1, rows);
  ReadPassport(*run.ctx);
  EXPECT_EQ(run.console.output, "");
  EXPECT_EQ(run.ctx->store.ND, kMaxRows);
  EXPECT_EQ(run.ctx->store.MAS0[kMaxRows], 2410);
}

TEST(ReadPassportTest, RecordChecksStopAtTheFirstFaultyRecord) {
  struct Case {
    const char* name;
    PassportRow faulty;  // placed at position 2
    std::string output;
  };
  const std::vector<Case> cases = {
      {"father only",
       {1, 2, 3, 0, 1, 1, 2},
       " Error in data line          2\n Both parents should be observed or unobserved\n"},
      {"mother only",
       {1, 2, 0, 1, 0, 1, 2},
       " Error in data line          2\n Both parents should be observed or unobserved\n"},
      {"breed 0 without parents",
       {1, 2, 0, 0, 0, 1, 2},
       " The race is 0, but the parents are unobserved in data line          2\n"
       " ERROR, so stop.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestRun run;
    // Records after the faulty one are faulty too, and the last is not even a number:
    // none of them may be read.
    run.files.files["PEDIGREE.PRN"] =
        PassportText(4, 1, {{1, 1, 0, 0, 1, 1, 1}, c.faulty, {1, 3, 0, 2, 1, 1, 3}}) +
        "    1    x\r\n";
    run.console.answers = {"dir"};
    EXPECT_THROW(ReadPassport(*run.ctx), RunStopped);
    EXPECT_EQ(run.console.output, c.output);
    EXPECT_EQ(run.console.answers_used, 0u);  // no pause
  }
}

TEST(ReadPassportTest, BreedCodeWithKnownParents) {
  TestRun run;
  run.files.files["PEDIGREE.PRN"] = PassportText(6, 3,
                                                 {{1, 1, 0, 0, 100, 1, 1},
                                                  {1, 2, 0, 0, 3, 2, 2},
                                                  {1, 3, 1, 2, 2, 1, 3},
                                                  {1, 4, 1, 2, 100, 2, 4},
                                                  {1, 5, 1, 2, 0, 2, 5},
                                                  {1, 6, 1, 2, 7, 2, 6}});
  ReadPassport(*run.ctx);
  EXPECT_EQ(run.console.output,
            " There parents are presented but race<>0, setting     race=0 in data line\n"
            "          3\n"
            " There parents are presented but race<>0, setting     race=0 in data line\n"
            "          6\n");
  const PedigreeStore& st = run.ctx->store;
  const std::vector<int> breeds = {st.MAS1[1][1], st.MAS1[2][1], st.MAS1[3][1],
                                   st.MAS1[4][1], st.MAS1[5][1], st.MAS1[6][1]};
  EXPECT_EQ(breeds, (std::vector<int>{100, 3, 0, 100, 0, 0}));
}

TEST(ReadPassportTest, FamilyNumbering) {
  struct Case {
    std::vector<long> families;
    std::string output;  // empty: accepted
  };
  const std::vector<Case> cases = {
      {{1, 1, 2, 3, 3}, ""},
      {{5, 1, 1, 2}, ""},  // the first number is left to the sex check
      {{1, 1, 3}, NumerationMessage("    3")},
      {{1, 2, 2, 1}, NumerationMessage("    4")},
      {{1, 2, 2, 2, 0}, NumerationMessage("    5")},
  };
  for (const Case& c : cases) {
    TestRun run;
    std::vector<PassportRow> rows;
    for (std::size_t k = 0; k < c.families.size(); ++k) {
      rows.push_back({c.families[k], static_cast<long>(k + 1), 0, 0, 1, 1, 0});
    }
    run.files.files["PEDIGREE.PRN"] = PassportText(static_cast<long>(rows.size()), 1, rows);
    if (c.output.empty()) {
      ReadPassport(*run.ctx);
      EXPECT_EQ(run.console.output, "");
    } else {
      EXPECT_THROW(ReadPassport(*run.ctx), RunStopped);
      EXPECT_EQ(run.console.output, c.output);
    }
  }
}

TEST(ReadPassportTest, RecordLayerErrorsPropagate) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"missing file", ""},
      {"fewer records than ND", PassportText(3, 1, FounderFamily(1, 2))},
      {"no text lines", "    1    1\r\n"},
      {"not an integer", PassportText(1, 1, {}) + "    1    1    0    0    1   1a    1\r\n"},
      {"identifier out of range", PassportText(1, 1, {{1, 1, 0, 0, 1, 1, 32768}})},
  };
  for (const auto& [name, file] : cases) {
    SCOPED_TRACE(name);
    TestRun run;
    if (!file.empty()) run.files.files["PEDIGREE.PRN"] = file;
    EXPECT_THROW(ReadPassport(*run.ctx), InputError);
    EXPECT_EQ(run.console.output, "");
  }
}

}  // namespace
}  // namespace pedprep
