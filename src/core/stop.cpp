#include "core/stop.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "core/run_context.h"

namespace pedprep {

namespace {

// The answer keeps at most this many characters; the rest of a longer line is dropped.
constexpr std::size_t kMaxAnswerLength = 128;

// The answer as the pause uses it: cut to its first 128 characters, then without
// trailing blanks and tabs.
std::string TrimAnswer(std::string answer) {
  if (answer.size() > kMaxAnswerLength) answer.resize(kMaxAnswerLength);
  std::size_t end = answer.find_last_not_of(" \t");
  answer.resize(end == std::string::npos ? 0 : end + 1);
  return answer;
}

}  // namespace

void ShellCommandRunner::Run(const std::string& command) {
  // Whatever the run has shown so far must be on the screen before the command writes.
  std::cout.flush();
  std::fflush(stdout);
  // The command's outcome does not matter to the run: the pause ends either way.
  int status = std::system(command.c_str());
  (void)status;
}

void Pause(RunContext& ctx) {
  if (ctx.batch) return;
  ctx.console.WriteLine(kPausePrompt);
  std::optional<std::string> line = ctx.console.ReadLine();
  // End of input counts as an empty answer, so a run without input never waits.
  std::string answer = TrimAnswer(line.value_or(std::string()));
  if (answer.size() >= 2 && ctx.console.InputIsTerminal()) ctx.shell.Run(answer);
}

void Stop() { throw RunStopped{}; }

void PauseAndStop(RunContext& ctx) {
  Pause(ctx);
  Stop();
}

}  // namespace pedprep
