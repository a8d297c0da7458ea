#include <memory>

#include "cli/commands.h"
#include "inspect/report.h"

namespace pedprep {

void DefineReport(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string folder;
    bool csv = false;
  };
  auto options = std::make_shared<Options>();
  Command& report = line.Add(
      "report", "Tell what the run does to the folder's inputs (run in memory, nothing written).");
  AddRunFolder(report, &options->folder);
  report.Flag("--csv", &options->csv, "The list of copies as CSV");
  report.OnRun([options, &context] {
    std::unique_ptr<FileSystem> folder = context.env.open_folder(options->folder, false);
    return RunReport(*folder, options->csv, context.out, context.err);
  });
}

}  // namespace pedprep
