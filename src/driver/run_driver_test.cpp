#include "driver/run_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/stop.h"
#include "driver/passport_reader.h"
#include "records/input_error.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::FounderFamily;
using testing::PassportText;
using testing::TestRun;

const std::string kPrompt = std::string(kPausePrompt) + "\n";
const std::string kStop = "Stop - Program terminated.\n";

TEST(RunPedprepTest, SexCheckErrorsEndInTheVerdict) {
  TestRun run;
  run.files.files["PEDIGREE.PRN"] = PassportText(7, 1,
                                                 {{1, 1, 0, 0, 1, 1, 1},
                                                  {1, 2, 0, 0, 1, 2, 2},
                                                  {1, 4, 0, 0, 1, 1, 3},
                                                  {2, 1, 0, 0, 1, 1, 4},
                                                  {2, 2, 0, 0, 1, 1, 5},
                                                  {2, 3, 2, 1, 0, 2, 6},
                                                  {3, 1, 0, 0, 1, 1, 7}});
  run.console.answers = {"echo done  "};
  EXPECT_EQ(RunPedprep(*run.ctx), kExitStopped);
  EXPECT_EQ(run.console.output,
            "ERROR OF NUMERATION: IS=  1 nom=  3    4\n"
            "SEX ERROR: IS=  2 PERSON=  1\n"
            "          2\n"
            "ERRORS are present in pasport data\n"
            "Stop program; nessesery correct errors\n"
            "**************************************\n" +
                kPrompt + kStop);
  EXPECT_EQ(run.shell.commands, std::vector<std::string>{"echo done"});
}

TEST(RunPedprepTest, FatalChecksEndWithTheStopLine) {
  struct Case {
    const char* name;
    std::string file;
    std::string output;
  };
  const std::vector<Case> cases = {
      {"record check stops without pause",
       PassportText(2, 1, {{1, 1, 0, 0, 1, 1, 1}, {1, 2, 1, 0, 1, 1, 2}}),
       " Error in data line          2\n Both parents should be observed or unobserved\n" + kStop},
      {"sample size pauses, then stops", PassportText(24097, 1, {}),
       "ERROR: max. sample size is N4096 \n" + kPrompt + kStop},
      {"family numbering pauses, then stops",
       PassportText(2, 1, {{1, 1, 0, 0, 1, 1, 1}, {3, 1, 0, 0, 1, 1, 2}}),
       std::string(30, ' ') +
           "\nERROR of numeration, LINE    2\n"
           "Stop program; You must correct pasport data\n"
           "*************************************  \n" +
           kPrompt + kStop},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestRun run;
    run.files.files["PEDIGREE.PRN"] = c.file;
    EXPECT_EQ(RunPedprep(*run.ctx), kExitStopped);
    EXPECT_EQ(run.console.output, c.output);
    EXPECT_TRUE(run.shell.commands.empty());
  }
}

TEST(RunPedprepTest, InputErrorReportsWithoutStopLine) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"missing passport file", ""},
      {"short passport file", PassportText(4, 1, FounderFamily(1, 3))},
  };
  for (const auto& [name, file] : cases) {
    SCOPED_TRACE(name);
    // The report the record layer gives for this file.
    std::string report;
    {
      TestRun probe;
      if (!file.empty()) probe.files.files["PEDIGREE.PRN"] = file;
      try {
        ReadPassport(*probe.ctx);
      } catch (const InputError& e) {
        report = e.Report();
      }
    }
    ASSERT_FALSE(report.empty());
    TestRun run;
    if (!file.empty()) run.files.files["PEDIGREE.PRN"] = file;
    EXPECT_EQ(RunPedprep(*run.ctx), 2);
    EXPECT_EQ(run.console.output, report + "\n");
  }
}

}  // namespace
}  // namespace pedprep
