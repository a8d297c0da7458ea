#include "core/stop.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "testing/driver_test_support.h"

namespace pedprep {
namespace {

using testing::TestRun;

const std::string kPrompt = "Pause - Please enter a blank line (to continue) or a DOS command.\n";

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

TEST(PauseTest, PauseAndStopPausesThenStops) {
  TestRun run;
  run.console.answers = {"type ped.dat"};
  EXPECT_THROW(PauseAndStop(*run.ctx), RunStopped);
  EXPECT_EQ(run.console.output, kPrompt);
  EXPECT_EQ(run.shell.commands, std::vector<std::string>{"type ped.dat"});
  EXPECT_THROW(Stop(), RunStopped);
}

TEST(ShellCommandRunnerTest, FailingCommandReturns) {
  ShellCommandRunner shell;
  shell.Run("exit 3");
  shell.Run("no-such-command-pedprep-test 2>/dev/null");
  SUCCEED();
}

}  // namespace
}  // namespace pedprep
