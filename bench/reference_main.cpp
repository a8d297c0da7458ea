// pedprep_reference: pedprep with the straightforward stages, for byte comparisons.
#include "core/run_context.h"
#include "driver/run_driver.h"
#include "reference/reference_stages.h"

int main() {
  pedprep::StdConsole console;
  pedprep::DiskFileSystem files;
  pedprep::ShellCommandRunner shell;
  pedprep::RunContext ctx(console, files, shell);
  return pedprep::RunPedprep(ctx, pedprep::ReferenceStages());
}
