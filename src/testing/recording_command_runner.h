// A command runner for tests: remembers the commands instead of running them.
#ifndef PEDPREP_TESTING_RECORDING_COMMAND_RUNNER_H_
#define PEDPREP_TESTING_RECORDING_COMMAND_RUNNER_H_

#include <string>
#include <vector>

#include "core/command_runner.h"

namespace pedprep {

class RecordingCommandRunner : public CommandRunner {
 public:
  void Run(const std::string& command) override { commands.push_back(command); }
  std::vector<std::string> commands;
};

}  // namespace pedprep

#endif  // PEDPREP_TESTING_RECORDING_COMMAND_RUNNER_H_
