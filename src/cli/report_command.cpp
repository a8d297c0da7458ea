#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "core/output_guard.h"
#include "figures/run_facts.h"
#include "pictures/draw.h"
#include "reading/folder_check.h"
#include "records/escape.h"
#include "records/input_error.h"
#include "reports/html_report.h"
#include "reports/report.h"

namespace pedprep {
namespace {

// The pictures of `dots` rendered as RenderWithDot renders each: all in one run of dot, or one
// by one when that fails, to stop at the first that cannot be drawn and say why.
LoopPictures RenderLoops(const std::vector<std::string>& dots, LoopPictures pictures) {
  RenderRequest render;
  render.format = "svg";
  if (dots.size() > 1 && RenderSvgs(dots, render.timeout_seconds, &pictures.svgs).empty()) {
    for (std::string& svg : pictures.svgs) svg = InlineSvg(svg);
    return pictures;
  }
  pictures.svgs.clear();
  for (const std::string& dot : dots) {
    std::string svg;
    const Rendered rendered = RenderWithDot(dot, render, &svg);
    if (!rendered.problem.empty()) {
      pictures.note = rendered.problem;
      break;
    }
    pictures.svgs.push_back(InlineSvg(svg));
  }
  return pictures;
}

// The loop pictures of the HTML report: what `pedprep draw --copy POSITION` draws, from the
// run the page is made of. The DOT is written at once; dot renders it on a thread of its own
// while the page is made, or before this returns when no thread can be started.
LoopPicture DrawnLoops(const std::string& folder_name) {
  return [folder_name](const RunFacts& facts, const std::vector<int32_t>& positions) {
    auto work = std::make_shared<std::pair<std::vector<std::string>, LoopPictures>>();
    auto& [dots, pictures] = *work;
    for (const int32_t position : positions) {
      DrawRequest request;
      request.folder_name = folder_name;
      request.copy = std::to_string(position);
      request.max_animals = 1 << 20;
      std::string dot, problem;
      if (DrawDot(facts, request, &dot, &problem) != kExitSuccess) {
        pictures.note = "pedprep draw: " + problem;
        break;
      }
      dots.push_back(std::move(dot));
    }
    const auto render = [work] { return RenderLoops(work->first, std::move(work->second)); };
    try {
      return std::async(std::launch::async, render);
    } catch (const std::system_error&) {
      return ReadyPictures(render());
    }
  };
}

// The page on standard output, or written into `output` (a name of the current folder) through
// the output guard: never a file of the folder or the reference file.
int WriteHtmlReport(FileSystem& folder, const HtmlRequest& request, const std::string& output,
                    FileSystem& current, CommandContext& context) {
  OutputGuard guard(current, "the report");
  guard.KeepFolderFiles(folder, request.folder_name);
  guard.KeepInput(request.reference.file_name);
  if (!output.empty()) {
    if (const std::string refusal = guard.Refusal(output); !refusal.empty()) {
      context.err << "pedprep report: -o " << EscapeControlBytes(output) << ": "
                  << EscapeControlBytes(refusal) << "; nothing written\n";
      return kExitInputError;
    }
  }
  std::ostringstream page;
  const int status = WithRunFacts(folder, context.err, [&](const RunFacts& facts) {
    return RunHtmlReport(facts, request, DrawnLoops(request.folder_name), page, context.err);
  });
  if (status != kExitSuccess || output.empty()) {
    context.out << page.str();
    return status;
  }
  try {
    guard.Write(output, page.str(), context.out);
  } catch (const InputError& error) {
    context.err << error.Report() << "\n";
    return kExitInputError;
  }
  return kExitSuccess;
}

struct ReportOptions {
  std::string folder;
  bool csv = false;
  bool check = false;
  bool html = false;
  std::string output;
  std::string reference_file;
  int born_from = 0;
  std::string half_founders = "phantom";
  bool ne_include_shallow = false;
};

// `pedprep report` with its options parsed: check them, read the reference file, then write
// the text, the CSV or the page (or only check).
int RunReportCommand(const ReportOptions& options, CommandContext& context) {
  if (static_cast<int>(options.csv) + static_cast<int>(options.html) +
              static_cast<int>(options.check) >
          1 ||
      (!options.reference_file.empty() && options.born_from != 0)) {
    context.err << "pedprep report: give at most one of --csv, --html and --check, and at "
                   "most one of --reference and --reference-born-from\n";
    return kExitUsage;
  }
  if (options.check) {
    // The check foretells the next run, whatever the earlier outputs are.
    std::unique_ptr<FileSystem> folder = context.env.open_folder(options.folder, false);
    return RunReportCheck(*folder);
  }
  std::unique_ptr<FileSystem> here = context.env.OpenNamedFiles();
  ReferenceChoice reference;
  if (!options.reference_file.empty()) {
    reference.file_name = options.reference_file;
    if (!here->ReadFile(reference.file_name, &reference.file_text)) {
      context.err << "pedprep report: cannot read " << EscapeControlBytes(reference.file_name)
                  << " (" << here->ReadProblem(reference.file_name) << ")\n";
      return kExitInputError;
    }
  }
  if (options.born_from != 0) reference.born_from = options.born_from;
  reference.conventions = {
      options.half_founders == "rescale" ? HalfFounders::kRescale : HalfFounders::kPhantom,
      options.ne_include_shallow};
  return LookAtFolder(
      context, options.folder, "report", FolderLook::kExplain, [&](FileSystem& folder) {
        if (!options.html) {
          return WithRunFacts(folder, context.err, [&](const RunFacts& facts) {
            return RunReport(facts, options.csv, context.out, context.err, reference);
          });
        }
        return WriteHtmlReport(folder, {FolderTitle(options.folder), reference}, options.output,
                               *here, context);
      });
}

}  // namespace

void DefineReport(CommandLine& line, CommandContext& context) {
  auto options = std::make_shared<ReportOptions>();
  Command& report = line.Add(
      "report", "Tell what the run does to the folder's inputs (run in memory, nothing written).");
  AddRunFolder(report, &options->folder);
  report.Flag("--csv", &options->csv, "The list of copies as CSV");
  report.Flag("--check", &options->check,
              "Print nothing; exit 0 when the run would finish, 1 when it would stop or refuse "
              "its input");
  report.Flag("--html", &options->html,
              "One self-contained HTML page with plots (inline CSS and SVG) instead of text");
  report
      .Option("-o,--output", &options->output,
              "With --html: the page's file (default: standard output)")
      .TypeName("FILE")
      .Needs("--html");
  report
      .Option("--reference", &options->reference_file,
              "The founder figures' reference population: a file of ids, one a line "
              "(default: the animals with both parents known)")
      .TypeName("FILE");
  report
      .Option("--reference-born-from", &options->born_from,
              "The reference population: the animals born in YEAR or later (ids.csv column "
              "born)")
      .TypeName("YEAR")
      .Range(1, 9999);
  report
      .Option("--half-founders", &options->half_founders,
              "An animal with one parent unknown in the founder figures: phantom (that parent "
              "a founder of its own, the default) or rescale (no share; the founders' "
              "contributions rescaled to add up to 1)")
      .TypeName("phantom|rescale")
      .Choices({"phantom", "rescale"});
  report.Flag("--ne-include-shallow", &options->ne_include_shallow,
              "Count the reference animals with at most one equivalent complete generation in "
              "Ne, with no rise in inbreeding");
  report.OnRun([options, &context] { return RunReportCommand(*options, context); });
}

}  // namespace pedprep
