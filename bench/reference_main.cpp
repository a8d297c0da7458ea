// pedprep_reference: pedprep with the straightforward stages, for byte comparisons.
#include <memory>

#include "driver/run_context.h"
#include "driver/run_driver.h"

int main() {
  pedprep::StdConsole console;
  pedprep::DiskFileSystem files;
  pedprep::ShellCommandRunner shell;
  auto ctx = std::make_unique<pedprep::RunContext>(console, files, shell);
  ctx->reference_stages = true;
  return pedprep::RunPedprep(*ctx);
}
