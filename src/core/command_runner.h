// Running other programs: the pause's command line (CommandRunner) and a program fed on
// its standard input and read from its standard output and error, with a time limit
// (RunProcess, used to render pictures).
#ifndef PEDPREP_CORE_COMMAND_RUNNER_H_
#define PEDPREP_CORE_COMMAND_RUNNER_H_

#include <string>
#include <vector>

namespace pedprep {

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

// What RunProcess saw of a program.
struct ProcessResult {
  enum class End {
    kExited,     // ended by itself: `exit_status`
    kSignalled,  // killed by signal `signal` (not ours)
    kTimedOut,   // still running at the time limit: killed
    kNotFound,   // no such program on PATH
    kNotStarted  // fork or exec failed otherwise: `problem`
  };
  End end = End::kExited;
  int exit_status = 0;
  int signal = 0;
  std::string problem;  // for kNotStarted: the system's words
  std::string output;   // all of its standard output (empty unless it exited)
  std::string errors;   // all of its standard error, also when it failed
};

// Runs `argv[0]` found on PATH with the arguments `argv`, writes `input` to its standard
// input (then closes it) and collects its standard output and error; no file is written. The
// program is killed when it runs longer than `timeout_seconds` (at least 1) and when pedprep
// ends. A program that stops reading early does not stop pedprep (no SIGPIPE).
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         int timeout_seconds);

}  // namespace pedprep

#endif  // PEDPREP_CORE_COMMAND_RUNNER_H_
