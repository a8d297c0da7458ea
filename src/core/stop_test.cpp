#include "core/stop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::TestRun;

const std::string kPrompt = std::string(kPausePrompt) + "\n";

TEST(PauseTest, AnswerDecidesWhetherACommandRuns) {
  struct Case {
    const char* name;
    std::optional<std::string> answer;  // nullopt: end of input
    std::vector<std::string> commands;
  };
  const std::string long_command = "echo " + std::string(150, 'x');
  const std::vector<Case> cases = {
      {"end of input", std::nullopt, {}},
      {"empty line", "", {}},
      {"one character", "c", {}},
      {"one character and blanks", "c  \t ", {}},
      {"blanks and tabs only", "   \t  \t", {}},
      {"two characters", "ab", {"ab"}},
      {"leading blank counts", " a", {" a"}},
      {"trailing blanks cut", "dir /w   \t", {"dir /w"}},
      {"longer than 128 kept to 128", long_command, {long_command.substr(0, 128)}},
      {"blanks at the cut vanish", "ab" + std::string(126, ' ') + "cd", {"ab"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestRun run;
    if (c.answer) run.console.answers = {*c.answer, "never read"};
    Pause(*run.ctx);
    EXPECT_EQ(run.console.output, kPrompt);
    EXPECT_EQ(run.shell.commands, c.commands);
    EXPECT_LE(run.console.answers_used, 1u);
  }
}

TEST(PauseTest, PauseAndStopWritesTheMessagePausesThenStopsWithTheReason) {
  TestRun run;
  run.console.answers = {"type ped.dat"};
  try {
    PauseAndStop(*run.ctx, {.kind = StopKind::kFamilyNumbering, .family = 3, .line = 17});
    FAIL() << "no stop";
  } catch (const RunStopped& stop) {
    EXPECT_EQ(stop.reason.kind, StopKind::kFamilyNumbering);
    EXPECT_EQ(stop.reason.line, 17);
  }
  EXPECT_EQ(run.console.output,
            "                              \nERROR of numeration, LINE   17\n"
            "Stop program; You must correct pasport data\n"
            "*************************************  \n" +
                kPrompt);
  EXPECT_EQ(run.shell.commands, std::vector<std::string>{"type ped.dat"});
}

TEST(StopTest, DetailsFollowTheMessage) {
  TestRun run;
  EXPECT_THROW(Stop(run.console, {.kind = StopKind::kQueueOverflow, .count = 3},
                    [&] { run.console.WriteLine("details"); }),
               RunStopped);
  EXPECT_EQ(run.console.output, "ERROR: K2 OVERFLOW 3\ndetails\n");
}

// Commands really run, and a failing one returns so that the next one runs too.
TEST(ShellCommandRunnerTest, FailingCommandReturns) {
  const std::filesystem::path mark =
      std::filesystem::temp_directory_path() / ("pedprep_shell_" + std::to_string(getpid()));
  std::filesystem::remove(mark);
  ShellCommandRunner shell;
  shell.Run("exit 3");
#if defined(_WIN32)
  // cmd.exe: its echo writes the blank before ">" and ends the line with CR LF.
  shell.Run("no-such-command-pedprep-test 2>NUL");
  shell.Run("echo ran>\"" + mark.string() + "\"");
  const std::string expected = "ran\r\n";
#else
  shell.Run("no-such-command-pedprep-test 2>/dev/null");
  shell.Run("echo ran > " + mark.string());
  const std::string expected = "ran\n";
#endif
  std::string text;
  {
    std::ifstream in(mark, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_EQ(text, expected);
  std::filesystem::remove(mark);
}

}  // namespace
}  // namespace pedprep
