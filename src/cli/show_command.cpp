#include <memory>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "reading/folder_check.h"
#include "reports/show.h"

namespace pedprep {

void DefineShow(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string folder;
    bool csv = false;
  };
  auto options = std::make_shared<Options>();
  Command& show =
      line.Add("show", "Print the prepared pedigree read back from the analysis files, checked.");
  AddRunFolder(show, &options->folder);
  show.Flag("--csv", &options->csv, "CSV instead of aligned columns");
  show.OnRun([options, &context] {
    return LookAtFolder(context, options->folder, "show", FolderLook::kOutputs,
                        [&](FileSystem& folder) {
                          return ToStandardOutput(context, options->csv, [&](std::ostream& out) {
                            return RunShow(folder, options->csv, out, context.err);
                          });
                        });
  });
}

}  // namespace pedprep
