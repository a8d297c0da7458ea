#include <memory>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "figures/run_facts.h"
#include "records/escape.h"
#include "reports/kinship.h"

namespace pedprep {

void DefineKinship(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string folder;
    KinshipRequest request;
    int born_from = 0;
  };
  auto options = std::make_shared<Options>();
  KinshipRequest& request = options->request;
  Command& kinship = line.Add("kinship",
                              "Candidates for breeding ranked by mean kinship, their gene "
                              "diversity and native kinship (run in memory, nothing written).");
  AddRunFolder(kinship, &options->folder);
  kinship
      .Option("--candidates", &request.candidates_name,
              "The candidates: a file of ids, one a line (herd-book ids or FAMILY:INDIVIDUAL); "
              "default every animal")
      .TypeName("FILE");
  kinship
      .Option("--born-from", &options->born_from,
              "The candidates: the animals born in YEAR or later (ids.csv column born)")
      .TypeName("YEAR")
      .Range(1, 9999);
  kinship
      .Option("--native", &request.native,
              "The native breed (a name of the breed legend): each candidate's share of it and "
              "the kinship at its alleles")
      .TypeName("BREED");
  kinship.Flag("--csv", &request.csv, "RFC 4180 CSV instead of aligned columns");
  kinship.OnRun([options, &context] {
    KinshipRequest& asked = options->request;
    if (!asked.candidates_name.empty() && options->born_from != 0) {
      context.err << "pedprep kinship: give at most one of --candidates and --born-from\n";
      return kExitUsage;
    }
    if (options->born_from != 0) asked.born_from = options->born_from;
    if (!asked.candidates_name.empty()) {
      std::unique_ptr<FileSystem> here = context.env.OpenNamedFiles();
      if (!here->ReadFile(asked.candidates_name, &asked.candidates_text)) {
        context.err << "pedprep kinship: cannot read " << EscapeControlBytes(asked.candidates_name)
                    << " (" << here->ReadProblem(asked.candidates_name) << ")\n";
        return kExitInputError;
      }
    }
    return LookAtFolder(context, options->folder, "kinship", FolderLook::kRunOnInputs,
                        [&](FileSystem& folder) {
                          return WithRunFacts(folder, context.err, [&](const RunFacts& facts) {
                            return RunKinship(facts, asked, context.out, context.err);
                          });
                        });
  });
}

}  // namespace pedprep
