// pedprep: the command line (see cli/command_line.h).
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/fault_guard.h"
#include "core/command_runner.h"
#include "records/program_start.h"

int main(int argc, char** argv) {
  return pedprep::RunCatchingFaults(
      [argc, argv] {
        const std::vector<std::string> arguments = pedprep::StartProgram(argc, argv);
        std::vector<const char*> pointers;
        for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
        pedprep::StdConsole console;
        pedprep::ShellCommandRunner shell;
        pedprep::CommandEnvironment env(
            console, shell, [](const std::string& folder, bool create_folders) {
              return std::make_unique<pedprep::DiskFileSystem>(folder, create_folders);
            });
        env.open_named_files = [] {
          return std::make_unique<pedprep::DiskFileSystem>("", false, pedprep::NameRule::kAsGiven);
        };
        return pedprep::RunCommandLine(static_cast<int>(pointers.size()), pointers.data(),
                                       std::cout, std::cerr, env);
      },
      std::cerr);
}
