#include <memory>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "inspect/mate.h"
#include "records/escape.h"

namespace pedprep {

void DefineMate(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string folder;
    MateRequest request;
  };
  auto options = std::make_shared<Options>();
  MateRequest& request = options->request;
  Command& mate = line.Add("mate",
                           "The calf of a planned mating: its inbreeding (the parents' kinship) "
                           "and breed composition (run in memory, nothing written).");
  AddRunFolder(mate, &options->folder);
  mate.Option("--sire", &request.sire, "The sire: a herd-book id or FAMILY:INDIVIDUAL")
      .TypeName("ID");
  mate.Option("--dam", &request.dam, "The dam: a herd-book id or FAMILY:INDIVIDUAL").TypeName("ID");
  mate.Option("--pairs", &request.pairs_name,
              "Many matings: a file of two columns, sire and dam (CSV output)")
      .TypeName("FILE");
  mate.Flag("--csv", &request.csv, "RFC 4180 CSV instead of aligned columns");
  mate.OnRun([options, &context] {
    MateRequest& asked = options->request;
    const bool pair = !asked.sire.empty() && !asked.dam.empty();
    const bool none = asked.sire.empty() && asked.dam.empty();
    if (asked.pairs_name.empty() ? !pair : !none) {
      context.err << "pedprep mate: give --sire ID and --dam ID, or --pairs FILE\n";
      return kExitUsage;
    }
    if (!asked.pairs_name.empty()) {
      std::unique_ptr<FileSystem> here = context.env.OpenNamedFiles();
      if (!here->ReadFile(asked.pairs_name, &asked.pairs_text)) {
        context.err << "pedprep mate: cannot read " << EscapeControlBytes(asked.pairs_name) << " ("
                    << here->ReadProblem(asked.pairs_name) << ")\n";
        return kExitInputError;
      }
    }
    return LookAtFolder(
        context, options->folder, "mate", FolderLook::kRunOnInputs,
        [&](FileSystem& folder) { return RunMate(folder, asked, context.out, context.err); });
  });
}

}  // namespace pedprep
