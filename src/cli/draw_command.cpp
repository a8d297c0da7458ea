#include <memory>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "inspect/draw.h"
#include "inspect/folder_check.h"

namespace pedprep {
namespace {

// "" for a name ending in .dot, .svg or .png, else the problem.
std::string CheckDrawingName(const std::string& name) {
  for (const std::string end : {".dot", ".svg", ".png"}) {
    if (name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0) {
      return "";
    }
  }
  return "a file name ending in .dot, .svg or .png";
}

}  // namespace

void DefineDraw(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string folder;
    DrawRequest request;
  };
  auto options = std::make_shared<Options>();
  Command& draw = line.Add(
      "draw", "Draw one family after the loop breaking as a Graphviz graph (run in memory).");
  AddRunFolder(draw, &options->folder);
  draw.Option("--family", &options->request.family, "The family number")
      .Required()
      .TypeName("N")
      .AtLeast(1);
  draw.Flag("--core", &options->request.core,
            "Only the animals of the family's loops and their copies");
  draw.Option("-o,--output", &options->request.output,
              "x.dot (DOT text), x.svg or x.png (rendered by dot); default: DOT on standard "
              "output")
      .TypeName("FILE")
      .Check(CheckDrawingName, "FILE");
  draw.OnRun([options, &context] {
    std::unique_ptr<FileSystem> folder = context.env.open_folder(options->folder, false);
    if (!PassFolderCheck(*folder, options->folder, "draw", false, context.err)) return kExitStopped;
    std::unique_ptr<FileSystem> here = context.env.open_folder("", false);
    return RunDraw(*folder, options->request, *here, RenderWithDot, context.out, context.err);
  });
}

}  // namespace pedprep
