#include <memory>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "inspect/draw.h"
#include "inspect/folder_check.h"

namespace pedprep {
namespace {

// "" for a name ending in .dot, .svg, .png or .pdf, else the problem.
std::string CheckDrawingName(const std::string& name) {
  for (const std::string end : {".dot", ".svg", ".png", ".pdf"}) {
    if (name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0) {
      return "";
    }
  }
  return "a file name ending in .dot, .svg, .png or .pdf";
}

// "" when the options name one picture, else the problem.
std::string CheckWhatToDraw(const DrawRequest& request) {
  const int asked = static_cast<int>(!request.family.empty()) +
                    static_cast<int>(!request.around.empty()) +
                    static_cast<int>(!request.copy.empty());
  if (asked != 1 || (request.core && request.family.empty())) {
    return "give one of --family N, --around ID or --copy POSITION (--core only with --family)";
  }
  return "";
}

}  // namespace

void DefineDraw(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string folder;
    std::string color;
    DrawRequest request;
  };
  auto options = std::make_shared<Options>();
  DrawRequest& request = options->request;
  Command& draw = line.Add("draw",
                           "Draw part of the pedigree after the loop breaking as a Graphviz "
                           "graph (run in memory): one family, one animal's neighbourhood or "
                           "the loop one copy breaks.");
  AddRunFolder(draw, &options->folder);
  draw.Option("--family", &request.family, "The whole family N").TypeName("N");
  draw.Option("--around", &request.around,
              "One animal (herd-book id or FAMILY:INDIVIDUAL) with its ancestors and "
              "descendants")
      .TypeName("ID");
  draw.Option("--up", &request.up, "With --around: generations of ancestors")
      .TypeName("N")
      .AtLeast(0)
      .ShowDefault()
      .Needs("--around");
  draw.Option("--down", &request.down, "With --around: generations of descendants")
      .TypeName("N")
      .AtLeast(0)
      .ShowDefault()
      .Needs("--around");
  draw.Option("--copy", &request.copy,
              "The loop that one loop-break copy breaks: the copy's position (as show prints "
              "it) or the herd-book id of a copied animal")
      .TypeName("POSITION");
  draw.Flag("--core", &request.core,
            "With --family: only the animals of the family's loops and their copies");
  draw.Option("--color", &options->color,
              "breed: fill each animal with the colour of its largest breed fraction")
      .TypeName("breed")
      .Choices({"breed"});
  draw.Option("--max-animals", &request.max_animals, "Refuse a picture of more animals")
      .TypeName("N")
      .AtLeast(1)
      .ShowDefault();
  draw.Option("--timeout", &request.timeout_seconds, "Seconds dot may take to render")
      .TypeName("SECONDS")
      .AtLeast(1)
      .ShowDefault();
  draw.Option("-o,--output", &request.output,
              "x.dot (DOT text), x.svg, x.png or x.pdf (rendered by dot); default: DOT on "
              "standard output")
      .TypeName("FILE")
      .Check(CheckDrawingName, "FILE");
  draw.OnRun([options, &context] {
    options->request.folder_name = options->folder;
    options->request.color_breed = !options->color.empty();
    if (const std::string problem = CheckWhatToDraw(options->request); !problem.empty()) {
      context.err << "pedprep draw: " << problem << "\n";
      return kExitUsage;
    }
    return LookAtFolder(
        context, options->folder, "draw", FolderLook::kRunOnInputs, [&](FileSystem& folder) {
          std::unique_ptr<FileSystem> here = context.env.OpenNamedFiles();
          return RunDraw(folder, options->request, *here, RenderWithDot, context.out, context.err);
        });
  });
}

}  // namespace pedprep
