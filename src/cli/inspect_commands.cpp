#include <memory>

#include "cli/commands.h"
#include "inspect/draw.h"
#include "inspect/report.h"
#include "inspect/show.h"

namespace pedprep {
namespace {

void AddFolder(CLI::App* command, std::string& folder) {
  command->add_option("FOLDER", folder, "The run's folder (default: the current folder)")
      ->type_name("")
      ->check(CLI::ExistingDirectory);
}

}  // namespace

void RegisterShow(CLI::App& app, CommandContext& context) {
  struct Options {
    std::string folder;
    bool csv = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* show = app.add_subcommand(
      "show", "Print the prepared pedigree read back from the analysis files, checked.");
  AddFolder(show, options->folder);
  show->add_flag("--csv", options->csv, "CSV instead of aligned columns");
  show->callback([options, &context] {
    std::unique_ptr<FileSystem> folder = context.env.open_folder(options->folder, false);
    context.status = RunShow(*folder, options->csv, context.out, context.err);
  });
}

void RegisterReport(CLI::App& app, CommandContext& context) {
  struct Options {
    std::string folder;
    bool csv = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* report = app.add_subcommand(
      "report", "Tell what the run does to the folder's inputs (run in memory, nothing written).");
  AddFolder(report, options->folder);
  report->add_flag("--csv", options->csv, "The list of copies as CSV");
  report->callback([options, &context] {
    std::unique_ptr<FileSystem> folder = context.env.open_folder(options->folder, false);
    context.status = RunReport(*folder, options->csv, context.out, context.err);
  });
}

void RegisterDraw(CLI::App& app, CommandContext& context) {
  struct Options {
    std::string folder;
    DrawRequest request;
  };
  auto options = std::make_shared<Options>();
  CLI::App* draw = app.add_subcommand(
      "draw", "Draw one family after the loop breaking as a Graphviz graph (run in memory).");
  AddFolder(draw, options->folder);
  draw->add_option("--family", options->request.family, "The family number")
      ->required()
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  draw->add_flag("--core", options->request.core,
                 "Only the animals of the family's loops and their copies");
  draw->add_option(
          "-o,--output", options->request.output,
          "x.dot (DOT text), x.svg or x.png (rendered by dot); default: DOT on standard output")
      ->type_name("FILE")
      ->check(
          [](const std::string& name) {
            for (const char* ending : {".dot", ".svg", ".png"}) {
              const std::string end = ending;
              if (name.size() > end.size() &&
                  name.compare(name.size() - end.size(), end.size(), end) == 0) {
                return std::string();
              }
            }
            return std::string("a file name ending in .dot, .svg or .png");
          },
          "FILE");
  draw->callback([options, &context] {
    std::unique_ptr<FileSystem> folder = context.env.open_folder(options->folder, false);
    std::unique_ptr<FileSystem> here = context.env.open_folder("", false);
    context.status =
        RunDraw(*folder, options->request, *here, RenderWithDot, context.out, context.err);
  });
}

}  // namespace pedprep
