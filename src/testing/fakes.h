// In-memory stand-ins for the folder, the console and the shell, so that whole runs and
// commands are tested without a disk, a terminal or a command interpreter. Tests, fuzzers,
// the bench tools and the documentation generator link them; the program does not.
#ifndef PEDPREP_TESTING_FAKES_H_
#define PEDPREP_TESTING_FAKES_H_

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_runner.h"
#include "records/console.h"
#include "records/file_system.h"

namespace pedprep {

// Files in a map. Names in `unwritable` fail on write and removal; a name that is empty or
// holds a zero byte cannot be written (as on disk).
class MemoryFileSystem : public FileSystem {
 public:
  bool ReadFile(const std::string& name, std::string* contents) override;
  void WriteFiles(const std::vector<OutputFile>& files) override;
  std::vector<std::string> ReplaceFiles(const std::vector<OutputFile>& files,
                                        const std::vector<std::string>& removals) override;
  bool RemoveFile(const std::string& name) override;

  std::map<std::string, std::string> files;
  std::set<std::string> unwritable;
};

// Collects the shown text (each line + "\n") and answers from a list.
class CapturingConsole : public Console {
 public:
  void WriteLine(std::string_view line) override;
  std::optional<std::string> ReadLine() override;
  bool InputIsTerminal() const override { return terminal; }

  std::string output;                // everything shown so far
  std::vector<std::string> answers;  // handed out in order; then end of input
  std::size_t answers_used = 0;
  bool terminal = true;  // the answers come as if typed at a terminal
};

// Remembers the commands instead of running them.
class RecordingCommandRunner : public CommandRunner {
 public:
  void Run(const std::string& command) override { commands.push_back(command); }
  std::vector<std::string> commands;
};

}  // namespace pedprep

#endif  // PEDPREP_TESTING_FAKES_H_
