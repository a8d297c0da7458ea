#include <memory>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "inspect/folder_check.h"
#include "inspect/report.h"

namespace pedprep {

void DefineReport(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string folder;
    bool csv = false;
    bool check = false;
  };
  auto options = std::make_shared<Options>();
  Command& report = line.Add(
      "report", "Tell what the run does to the folder's inputs (run in memory, nothing written).");
  AddRunFolder(report, &options->folder);
  report.Flag("--csv", &options->csv, "The list of copies as CSV");
  report.Flag("--check", &options->check,
              "Print nothing; exit 0 when the run would finish, 1 when it would stop or refuse "
              "its input");
  report.OnRun([options, &context] {
    if (options->check) {
      // The check foretells the next run, whatever the earlier outputs are.
      std::unique_ptr<FileSystem> folder = context.env.open_folder(options->folder, false);
      return RunReportCheck(*folder);
    }
    return LookAtFolder(context, options->folder, "report", FolderLook::kExplain,
                        [&](FileSystem& folder) {
                          return RunReport(folder, options->csv, context.out, context.err);
                        });
  });
}

}  // namespace pedprep
