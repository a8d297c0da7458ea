#include <memory>
#include <utility>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "figures/run_facts.h"
#include "records/escape.h"
#include "reports/mate.h"

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
                           "and breed composition; candidates ranked by it; or a plan of "
                           "matings with the least mean inbreeding (run in memory, nothing "
                           "written).");
  AddRunFolder(mate, &options->folder);
  mate.Option("--sire", &request.sire, "The sire: a herd-book id or FAMILY:INDIVIDUAL")
      .TypeName("ID");
  mate.Option("--dam", &request.dam, "The dam: a herd-book id or FAMILY:INDIVIDUAL").TypeName("ID");
  mate.Option("--pairs", &request.pairs_name,
              "Many matings: a file of two columns, sire and dam (CSV output)")
      .TypeName("FILE");
  mate.Option("--sires", &request.sires_name,
              "Candidate sires, one id a line: ranked for --dam, or planned with --dams")
      .TypeName("FILE");
  mate.Option("--dams", &request.dams_name,
              "Candidate dams, one id a line: ranked for --sire, or planned with --sires")
      .TypeName("FILE");
  mate.Flag("--plan", &request.plan,
            "Give every dam of --dams one sire of --sires, the calves' mean inbreeding least");
  mate.Option("--max-per-sire", &request.max_per_sire,
              "With --plan: the most dams a sire gets (default: dams / sires rounded up)")
      .TypeName("N")
      .Range(1, 1000000);
  mate.Option("--native", &request.native,
              "With --plan: among plans of least mean inbreeding, the one of least native "
              "kinship of this breed (a name of the breed legend)")
      .TypeName("BREED");
  mate.Flag("--csv", &request.csv, "RFC 4180 CSV instead of aligned columns");
  mate.OnRun([options, &context] {
    MateRequest& asked = options->request;
    const bool sire = !asked.sire.empty();
    const bool dam = !asked.dam.empty();
    const bool sires = !asked.sires_name.empty();
    const bool dams = !asked.dams_name.empty();
    const bool pairs = !asked.pairs_name.empty();
    const bool fits = asked.plan ? (sires && dams && !sire && !dam && !pairs)
                      : pairs    ? (!sire && !dam && !sires && !dams)
                      : sires    ? (dam && !sire && !dams)
                      : dams     ? (sire && !dam)
                                 : (sire && dam);
    if (!fits || ((asked.max_per_sire != 0 || !asked.native.empty()) && !asked.plan)) {
      context.err << "pedprep mate: give --sire ID and --dam ID, --pairs FILE, --dam ID and "
                     "--sires FILE, --sire ID and --dams FILE, or --plan with --sires FILE and "
                     "--dams FILE (--max-per-sire and --native only with --plan)\n";
      return kExitUsage;
    }
    std::unique_ptr<FileSystem> here;
    for (auto [name, text] : {std::pair{&asked.pairs_name, &asked.pairs_text},
                              std::pair{&asked.sires_name, &asked.sires_text},
                              std::pair{&asked.dams_name, &asked.dams_text}}) {
      if (name->empty()) continue;
      if (!here) here = context.env.OpenNamedFiles();
      if (!here->ReadFile(*name, text)) {
        context.err << "pedprep mate: cannot read " << EscapeControlBytes(*name) << " ("
                    << here->ReadProblem(*name) << ")\n";
        return kExitInputError;
      }
    }
    return LookAtFolder(context, options->folder, "mate", FolderLook::kRunOnInputs,
                        [&](FileSystem& folder) {
                          return WithRunFacts(folder, context.err, [&](const RunFacts& facts) {
                            return RunMate(facts, asked, context.out, context.err);
                          });
                        });
  });
}

}  // namespace pedprep
