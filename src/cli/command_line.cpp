#include "cli/command_line.h"

#include "cli/commands.h"

#ifndef PEDPREP_VERSION
#error "PEDPREP_VERSION must be defined by the build (X.Y.Z)"
#endif

namespace pedprep {
namespace {

std::string UsageLine(const CLI::App& app) {
  std::string commands;
  for (const CLI::App* sub : app.get_subcommands({})) {
    commands += (commands.empty() ? "" : ", ") + sub->get_name();
  }
  return "usage: pedprep [COMMAND] [ARGS...]  (commands: " + commands + "; pedprep COMMAND --help)";
}

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                   CommandEnvironment& env) {
  CommandContext context{out, err, env};
  CLI::App app{
      "pedprep prepares the pedigree of a multi-breed population for the peeling analysis.\n"
      "Without a command it runs in the current folder.",
      "pedprep"};
  app.set_version_flag("--version", std::string("pedprep ") + PEDPREP_VERSION);
  app.require_subcommand(0, 1);
  RegisterRun(app, context);
  RegisterImport(app, context);
  RegisterShow(app, context);
  RegisterReport(app, context);
  RegisterDraw(app, context);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e, out, err);  // --help, --version
    std::string problem = e.what();
    while (!problem.empty() && problem.back() == '\n') problem.pop_back();
    err << "pedprep: " << problem << "\n" << UsageLine(app) << "\n";
    return kUsageError;
  }
  if (app.get_subcommands().empty()) return RunInFolder(context, "", false);
  return context.status;
}

}  // namespace pedprep
