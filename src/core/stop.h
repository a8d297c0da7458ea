// The two ways a run ends early: stop, or pause then stop.
//
// Stop() unwinds to the run driver by throwing RunStopped; the driver then writes
// "Stop - Program terminated." and the run's exit status is 1 (a failed run).
#ifndef PEDPREP_CORE_STOP_H_
#define PEDPREP_CORE_STOP_H_

#include <string>
#include <vector>

namespace pedprep {

struct RunContext;

struct RunStopped {};

inline constexpr const char* kPausePrompt =
    "Pause - Please enter a blank line (to continue) or a DOS command.";
inline constexpr const char* kStopLine = "Stop - Program terminated.";

// Runs a command line with the system's command interpreter; returns when it finished.
class CommandRunner {
 public:
  virtual ~CommandRunner() = default;
  virtual void Run(const std::string& command) = 0;
};

class ShellCommandRunner : public CommandRunner {
 public:
  void Run(const std::string& command) override;
};

// For tests: remembers the commands instead of running them.
class RecordingCommandRunner : public CommandRunner {
 public:
  void Run(const std::string& command) override { commands.push_back(command); }
  std::vector<std::string> commands;
};

// In a batch run (ctx.batch) does nothing. Otherwise shows the pause prompt and reads one line (at
// most 128 characters kept; end of input is an empty answer). Trailing blanks and tabs are cut; an
// answer of two or more characters is run as a command before the pause ends, but only when it was
// typed at a terminal: a line from a pipe or a file is read and ignored.
void Pause(RunContext& ctx);

[[noreturn]] void Stop();
[[noreturn]] void PauseAndStop(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_CORE_STOP_H_
