// pedprep: run in the folder that holds PEDIGREE.PRN.
#include "core/run_context.h"
#include "driver/run_driver.h"

int main() {
  pedprep::StdConsole console;
  pedprep::DiskFileSystem files;
  pedprep::ShellCommandRunner shell;
  pedprep::RunContext ctx(console, files, shell);
  return pedprep::RunPedprep(ctx);
}
