// The pause on the real console: whatever stands on standard input (nothing, a short or
// blank answer, a line of any length, a command that fails) ends the pause, and the run
// goes on to its stop.
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/stop.h"
#include "driver/run_driver.h"
#include "testing/fakes.h"
#include "testing/run_folder.h"

namespace pedprep {
namespace {

// Standard input reads from `text` while this lives.
class StdinFrom {
 public:
  explicit StdinFrom(const std::string& text) : in_(text), old_(std::cin.rdbuf(in_.rdbuf())) {}
  ~StdinFrom() {
    std::cin.rdbuf(old_);
    std::cin.clear();
  }

 private:
  std::istringstream in_;
  std::streambuf* old_;
};

// Standard input, taken as typed at a terminal or not, whatever it really is.
class StdinConsole : public StdConsole {
 public:
  explicit StdinConsole(bool terminal) : terminal_(terminal) {}
  bool InputIsTerminal() const override { return terminal_; }

 private:
  bool terminal_;
};

// Remembers the commands and then hands them to the real command interpreter.
class RecordingShell : public ShellCommandRunner {
 public:
  void Run(const std::string& command) override {
    commands.push_back(command);
    ShellCommandRunner::Run(command);
  }
  std::vector<std::string> commands;
};

TEST(RunPauseTest, EveryAnswerOnStandardInputEndsThePause) {
  const std::string x128(128, 'x');
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> commands;
    std::string left;  // what the pause leaves on standard input
  };
  const std::vector<Case> cases = {
      {"end of input", "", {}, ""},
      {"empty line", "\n", {}, ""},
      {"one character", "c\r\nnext", {}, "next"},
      {"blanks and tabs only", " \t \t  \nnext\n", {}, "next\n"},
      {"line without an end", "true", {"true"}, ""},
      {"CR LF ended command", "true  \r\n", {"true"}, ""},
      {"128 characters", ": " + x128.substr(2) + "\n", {": " + x128.substr(2)}, ""},
      {"longer line cut at 128", ": " + x128 + "yyy\nnext", {": " + x128.substr(2)}, "next"},
      {"failing command", "exit 3\n", {"exit 3"}, ""},
      {"unknown command",
       "no-such-command-pedprep-test 2>/dev/null\n",
       {"no-such-command-pedprep-test 2>/dev/null"},
       ""},
  };
  for (const Case& c : cases) {
    for (bool terminal : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (terminal ? " at a terminal" : " from a pipe"));
      StdinFrom stdin_text(c.input);
      StdinConsole console(terminal);
      MemoryFileSystem files;
      RecordingShell shell;
      RunContext ctx(console, files, shell);
      ::testing::internal::CaptureStdout();
      EXPECT_THROW(PauseAndStop(ctx, {}), RunStopped);
      EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string(kPausePrompt) + "\n");
      // A line that does not come from a terminal is read and ignored.
      EXPECT_EQ(shell.commands, terminal ? c.commands : std::vector<std::string>{});
      std::string rest(std::istreambuf_iterator<char>(std::cin), {});
      EXPECT_EQ(rest, c.left);
    }
  }
}

TEST(RunPauseTest, FailingCommandAfterASuccessfulRunStillStops) {
  StdinFrom stdin_text("exit 7\n");
  StdinConsole console(/*terminal=*/true);
  MemoryFileSystem files;
  pedprep::testing::PutCleanInputs(files);
  ShellCommandRunner shell;
  auto ctx = std::make_unique<RunContext>(console, files, shell);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(RunPedprep(*ctx), 0);
  const std::string shown = ::testing::internal::GetCapturedStdout();
  const std::string end = "ALL RIGHT: UNFORMATED FILES  FOR ANALYZE ARE CREATED\n" +
                          std::string(kPausePrompt) + "\n" + kStopLine + "\n";
  ASSERT_GE(shown.size(), end.size());
  EXPECT_EQ(shown.substr(shown.size() - end.size()), end);
}

}  // namespace
}  // namespace pedprep
