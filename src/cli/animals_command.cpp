#include <memory>

#include "cli/commands.h"
#include "figures/run_facts.h"
#include "reports/animals.h"

namespace pedprep {

void DefineAnimals(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string folder;
    bool csv = false;
  };
  auto options = std::make_shared<Options>();
  Command& animals = line.Add("animals",
                              "Every animal's breed composition, generation and inbreeding (run "
                              "in memory, nothing written).");
  AddRunFolder(animals, &options->folder);
  animals.Flag("--csv", &options->csv, "RFC 4180 CSV instead of aligned columns");
  animals.OnRun([options, &context] {
    return LookAtFolder(context, options->folder, "animals", FolderLook::kRunOnInputs,
                        [&](FileSystem& folder) {
                          return ToStandardOutput(context, options->csv, [&](std::ostream& out) {
                            return WithRunFacts(folder, context.err, [&](const RunFacts& facts) {
                              return RunAnimals(facts, options->csv, out, context.err);
                            });
                          });
                        });
  });
}

}  // namespace pedprep
