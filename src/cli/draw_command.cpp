#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "pictures/draw.h"
#include "reading/folder_check.h"
#include "records/text_case.h"

namespace pedprep {
namespace {

// The largest picture draw makes at all: dot takes hours on more, and the boxes are counted
// against the limit as they are made, so no larger picture is ever held.
constexpr int kMaxDrawnAnimals = 1 << 20;

// "" for a name ending in .dot, .svg, .png or .pdf, else the problem.
std::string CheckDrawingName(const std::string& name) {
  for (const std::string end : {".dot", ".svg", ".png", ".pdf"}) {
    if (name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0) {
      return "";
    }
  }
  return "a file name ending in .dot, .svg, .png or .pdf";
}

// The items of --label's comma-separated LIST ("F" in any case), empty for "".
std::vector<std::string> LabelItems(const std::string& list) {
  std::vector<std::string> items;
  for (std::size_t at = 0; !list.empty() && at <= list.size();) {
    const std::size_t end = std::min(list.find(',', at), list.size());
    const std::string item = AsciiLower(std::string_view(list).substr(at, end - at));
    items.push_back(item == "f" ? "F" : item);
    at = end + 1;
  }
  return items;
}

std::string CheckLabels(const std::string& list) {
  for (const std::string& item : LabelItems(list)) {
    if (item != "id" && item != "breed" && item != "F" && item != "born") {
      return "a comma-separated list of id, breed, F and born";
    }
  }
  return list.empty() ? "a comma-separated list of id, breed, F and born" : "";
}

// "" when the options name one picture, else the problem.
std::string CheckWhatToDraw(const DrawRequest& request) {
  const int asked =
      static_cast<int>(!request.family.empty()) + static_cast<int>(!request.around.empty()) +
      static_cast<int>(!request.ancestors.empty()) + static_cast<int>(!request.copy.empty());
  if (asked != 1 || (request.core && request.family.empty())) {
    return "give one of --family N, --around ID, --ancestors ID or --copy POSITION (--core "
           "only with --family)";
  }
  if (request.compact && !request.ancestors.empty()) {
    return "--compact draws families, --around and --copy pictures, not --ancestors";
  }
  if (request.up >= 0 && request.around.empty() && request.ancestors.empty()) {
    return "--up needs --around or --ancestors";
  }
  const std::string& out = request.output;
  if (!request.paper.empty() && (out.size() < 4 || out.compare(out.size() - 4, 4, ".pdf") != 0)) {
    return "--paper needs -o FILE.pdf";
  }
  return "";
}

// The options that name what to draw: --family, --around, --ancestors, --copy and how far.
void AddWhatToDraw(Command& draw, DrawRequest& request) {
  draw.Option("--family", &request.family, "The whole family N").TypeName("N");
  draw.Option("--around", &request.around,
              "One animal (herd-book id or FAMILY:INDIVIDUAL) with its ancestors and "
              "descendants, each animal once as read")
      .TypeName("ID");
  draw.Option("--ancestors", &request.ancestors,
              "An ancestor chart of one animal (herd-book id or FAMILY:INDIVIDUAL), left to "
              "right, sire above dam, one box per place an ancestor holds")
      .TypeName("ID");
  draw.Option("--up", &request.up,
              "With --around (default 3) or --ancestors (default 4): generations of ancestors")
      .TypeName("N")
      .Range(0, 62);
  draw.Option("--down", &request.down, "With --around: generations of descendants")
      .TypeName("N")
      .AtLeast(0)
      .ShowDefault()
      .Needs("--around");
  draw.Flag("--with-copies", &request.with_copies,
            "With --around: also the copies of the animals drawn, beside their originals")
      .Needs("--around");
  draw.Option("--copy", &request.copy,
              "The loop that one loop-break copy breaks, named as report prints it: its "
              "position, FAMILY:NUMBER, or the herd-book id of a copied animal (its first copy)")
      .TypeName("POSITION");
  draw.Flag("--core", &request.core,
            "With --family: only the animals of the family's loops and their copies");
}

}  // namespace

void DefineDraw(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string folder;
    std::string color;
    std::string label;
    DrawRequest request;
  };
  auto options = std::make_shared<Options>();
  DrawRequest& request = options->request;
  Command& draw = line.Add("draw",
                           "Draw part of the pedigree as a Graphviz graph (run in memory): one "
                           "family, one animal's pedigree as read, an ancestor chart, or the "
                           "loop one copy breaks.");
  AddRunFolder(draw, &options->folder);
  AddWhatToDraw(draw, request);
  draw.Flag("--compact", &request.compact,
            "Fold the full sibs of a mating that have no offspring in the picture into one "
            "box (not with --ancestors)");
  draw.Option("--color", &options->color,
              "breed: fill each animal with the colour of its largest breed fraction")
      .TypeName("breed")
      .Choices({"breed"});
  draw.Option("--label", &options->label,
              "What each box says, in this order: a comma-separated list of id, breed (the "
              "main breed and its share), F (inbreeding), born (the birth year of ids.csv); "
              "default: id")
      .TypeName("LIST")
      .Check(CheckLabels, "LIST");
  draw.Option("--max-animals", &request.max_animals,
              "Refuse a picture of more animals (or chart boxes), at most 1048576")
      .TypeName("N")
      .Range(1, kMaxDrawnAnimals)
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
  draw.Option("--paper", &request.paper,
              "With -o x.pdf: the paper (landscape when the picture is wider than high); the "
              "picture is scaled down to one page, or tiled over numbered pages when its labels "
              "would become too small (default: a4)")
      .TypeName("a4|a3|letter")
      .Choices({"a4", "a3", "letter"});
  draw.OnRun([options, &context] {
    options->request.folder_name = FolderTitle(options->folder);
    options->request.color_breed = !options->color.empty();
    options->request.labels = LabelItems(options->label);
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
