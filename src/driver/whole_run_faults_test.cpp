// Faults found only where records carry what real files carry, or where checks of different
// stages meet in one run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/stop.h"
#include "driver/passport_reader.h"
#include "driver/run_driver.h"
#include "testing/run_folder.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::FolderRun;
using testing::PassportText;
using testing::TestRun;

// Real passport files carry the animal's name and other notes after the seven fields
// (columns 1-35): nothing after column 35 is read, digits included.
TEST(ReadPassportTest, TextAfterColumn35IsNotRead) {
  std::string text = PassportText(3, 1, {});
  text += "    1    1    0    0    1    1    7 Bella 2019\r\n";
  text += "    1    2    0    0    1    2  128\r\n";  // a record that ends at column 35
  text += "    1    3    1    2    0    1  -59-2 x\r\n";
  TestRun run;
  run.files.files["PEDIGREE.PRN"] = text;
  ReadPassport(*run.ctx);
  EXPECT_EQ(run.console.output, "");
  const PedigreeStore& st = run.store();
  ASSERT_EQ(st.ND, 3);
  EXPECT_EQ(st.INI_ID[1], 7);
  EXPECT_EQ(st.INI_ID[2], 128);
  EXPECT_EQ(st.INI_ID[3], -59);
}

// A sex error and a fault the blood step stops on (3 and 4 are each other's fathers): the
// sex check's verdict ends the run before the blood step runs.
TEST(WholeRunFaultsTest, SexCheckVerdictComesBeforeTheBloodStep) {
  FolderRun run;
  run.files.files["PEDIGREE.PRN"] = PassportText(5, 2,
                                                 {{1, 1, 0, 0, 1, 1, 1},
                                                  {1, 2, 0, 0, 2, 2, 2},
                                                  {1, 3, 4, 2, 0, 1, 3},
                                                  {1, 4, 3, 2, 0, 1, 4},
                                                  {1, 5, 2, 1, 0, 1, 5}});
  run.console.answers = {""};
  EXPECT_EQ(run.Run(), kExitStopped);
  EXPECT_EQ(run.console.output,
            "SEX ERROR: IS=  1 PERSON=  1\n"
            "          2\n"
            "SEX ERROR: IS=  1 PERSON=  2\n"
            "          2\n"
            "ERRORS are present in pasport data\n"
            "Stop program; nessesery correct errors\n"
            "**************************************\n" +
                std::string(kPausePrompt) + "\n" + kStopLine + "\n");
  EXPECT_TRUE(testing::OutputsPresent(run.files).empty());
}

}  // namespace
}  // namespace pedprep
