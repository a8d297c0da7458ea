// pedprep: run in the folder that holds PEDIGREE.PRN.
#include <memory>

#include "driver/run_context.h"
#include "driver/run_driver.h"

int main() {
  pedprep::StdConsole console;
  pedprep::DiskFileSystem files;
  pedprep::ShellCommandRunner shell;
  auto ctx = std::make_unique<pedprep::RunContext>(console, files, shell);
  return pedprep::RunPedprep(*ctx);
}
