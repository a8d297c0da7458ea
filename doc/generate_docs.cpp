// Writes pedprep's manual page or bash completion from its command definitions; the build
// runs it, so that both follow every command and option defined in src/cli.
//   generate_docs man TEMPLATE OUTPUT   the page: TEMPLATE (roff prose) with the commands
//   generate_docs bash OUTPUT           the completion script
// Exit status 0 when OUTPUT was written, 1 otherwise (with a message on standard error).
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "cli/bash_completion.h"
#include "cli/commands.h"
#include "cli/manual_page.h"
#include "core/command_runner.h"
#include "testing/fakes.h"

namespace {

int Fail(const std::string& message) {
  std::cerr << "generate_docs: " << message << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (!((what == "man" && argc == 4) || (what == "bash" && argc == 3))) {
    return Fail("usage: generate_docs man TEMPLATE OUTPUT | bash OUTPUT");
  }
  // The definitions only: no action runs, so the world they would reach is a stand-in.
  pedprep::CapturingConsole console;
  pedprep::RecordingCommandRunner shell;
  pedprep::CommandEnvironment env(console, shell, [](const std::string&, bool) {
    return std::make_unique<pedprep::MemoryFileSystem>();
  });
  std::ostringstream unused;
  pedprep::CommandContext context{unused, unused, env};
  const std::unique_ptr<pedprep::CommandLine> line = pedprep::MakeCommandLine(context);

  std::string text;
  if (what == "man") {
    std::ifstream in(argv[2], std::ios::binary);
    if (!in.is_open()) return Fail(std::string("cannot read ") + argv[2]);
    std::stringstream page;
    page << in.rdbuf();
    text = pedprep::ManualPage(*line, page.str());
  } else {
    text = pedprep::BashCompletion(*line);
  }
  const char* output = argv[argc - 1];
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) return Fail(std::string("cannot write ") + output);
  return 0;
}
