// pedprep: the command line (see cli/command_line.h).
#include <iostream>
#include <memory>

#include "cli/command_line.h"
#include "cli/fault_guard.h"
#include "core/command_runner.h"

int main(int argc, char** argv) {
  return pedprep::RunCatchingFaults(
      [argc, argv] {
        pedprep::StdConsole console;
        pedprep::ShellCommandRunner shell;
        pedprep::CommandEnvironment env(
            console, shell, [](const std::string& folder, bool create_folders) {
              return std::make_unique<pedprep::DiskFileSystem>(folder, create_folders);
            });
        env.open_named_files = [] {
          return std::make_unique<pedprep::DiskFileSystem>("", false, pedprep::NameRule::kAsGiven);
        };
        return pedprep::RunCommandLine(argc, argv, std::cout, std::cerr, env);
      },
      std::cerr);
}
