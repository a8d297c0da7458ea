#include "inspect/dot_rendering.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "core/command_runner.h"
#include "inspect/pdf_pages.h"

namespace pedprep {
namespace {

// Runs dot with `args` on `dot`; "" with its output in `out`, else the problem. Its warnings
// are added to `warnings`.
std::string RunDot(const std::vector<std::string>& args, const std::string& dot, int timeout,
                   std::string* out, std::vector<std::string>* warnings) {
  std::vector<std::string> argv = {"dot"};
  argv.insert(argv.end(), args.begin(), args.end());
  ProcessResult result = RunProcess(argv, dot, timeout);
  out->clear();
  switch (result.end) {
    case ProcessResult::End::kNotFound:
      return "the Graphviz program dot is not installed; install it with: sudo apt-get install "
             "graphviz";
    case ProcessResult::End::kNotStarted:
      return "cannot start dot: " + result.problem;
    case ProcessResult::End::kTimedOut:
      return "dot did not finish within " + std::to_string(timeout) +
             " s (--timeout); draw less with --around, --copy or --core";
    case ProcessResult::End::kSignalled:
      return "dot was ended by signal " + std::to_string(result.signal);
    case ProcessResult::End::kExited:
      break;
  }
  if (result.exit_status != 0) {
    const std::string said = result.errors.substr(0, result.errors.find('\n'));
    return "dot failed (exit status " + std::to_string(result.exit_status) + ")" +
           (said.empty() ? "" : ": " + said);
  }
  std::istringstream lines(result.errors);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) warnings->push_back(DotWarningInWords(line));
  }
  *out = std::move(result.output);
  return "";
}

// The picture's width and height in points from dot's plain output ("graph SCALE W H",
// inches); false when not found.
bool PlainSize(const std::string& plain, double* width, double* height) {
  double scale = 0;
  return std::sscanf(plain.c_str(), "graph %lf %lf %lf", &scale, width, height) == 3 &&
         (*width *= 72, *height *= 72, true);
}

}  // namespace

std::string DotWarningInWords(const std::string& line) {
  std::string text = line;
  for (const char* prefix : {"Warning: ", "Error: "}) {
    if (text.rfind(prefix, 0) == 0) text.erase(0, std::char_traits<char>::length(prefix));
  }
  if (text.find("too large for cairo-renderer bitmaps") != std::string::npos) {
    return "dot scaled the picture down to fit a bitmap (" + text + ")";
  }
  if (text.find("non-ASCII character") != std::string::npos) {
    return "dot has no font widths for some characters of the labels; their boxes may be too "
           "narrow (" +
           text + ")";
  }
  return "dot warns: " + text;
}

Rendered RenderWithDot(const std::string& dot, const RenderRequest& request, std::string* image) {
  Rendered rendered;
  std::vector<std::string> args = {"-T" + request.format};
  if (request.format == "png") {
    std::string plain;
    rendered.problem =
        RunDot({"-Tplain"}, dot, request.timeout_seconds, &plain, &rendered.warnings);
    double width = 0;
    double height = 0;
    if (!rendered.problem.empty()) return rendered;
    if (PlainSize(plain, &width, &height)) {
      // dot draws PNG at 96 pixels per inch.
      const double side = std::max(width, height) / 72 * 96;
      if (side > kMaxPngSide) {
        const double dpi = std::floor(96 * kMaxPngSide / side);
        if (10.0 / 72 * dpi < kMinLabelPixels) {
          rendered.problem = "the picture is " + std::to_string(std::lround(side)) +
                             " pixels across, more than a PNG of at most " +
                             std::to_string(static_cast<long>(kMaxPngSide)) +
                             " pixels a side can show readably; write SVG or PDF (-o x.svg, "
                             "-o x.pdf) or draw less with --around";
          return rendered;
        }
        args.push_back("-Gdpi=" + std::to_string(static_cast<long>(dpi)));
      }
    }
  }
  rendered.problem = RunDot(args, dot, request.timeout_seconds, image, &rendered.warnings);
  if (!rendered.problem.empty() || request.format != "pdf") return rendered;
  const std::optional<Paper> paper = PaperNamed(request.paper);
  if (!paper) {
    rendered.problem = "no paper " + request.paper + " (a4, a3 or letter)";
  } else {
    *image = PlaceOnPaper(*image, *paper, &rendered.problem);
  }
  if (!rendered.problem.empty()) image->clear();
  return rendered;
}

}  // namespace pedprep
