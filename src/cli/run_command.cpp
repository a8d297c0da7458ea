#include <memory>

#include "cli/commands.h"
#include "core/run_context.h"
#include "core/stop.h"
#include "driver/run_driver.h"

namespace pedprep {

int RunInFolder(CommandContext& context, const std::string& folder, bool batch) {
  std::unique_ptr<FileSystem> files = context.env.open_folder(folder, false);
  RunContext run(context.env.console, *files, context.env.shell);
  run.batch = batch;
  return RunPedprep(run);
}

void RegisterRun(CLI::App& app, CommandContext& context) {
  struct Options {
    std::string folder;
    bool batch = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* run = app.add_subcommand("run", "Run in FOLDER (default: the current folder).");
  run->add_option("FOLDER", options->folder, "The folder holding PEDIGREE.PRN")
      ->type_name("")
      ->check(CLI::ExistingDirectory);
  run->add_flag("--batch", options->batch,
                "No pause prompt, no waiting for input, never run a command");
  run->callback([options, &context] {
    context.status = RunInFolder(context, options->folder, options->batch);
  });
}

}  // namespace pedprep
