// `pedprep report --html`: the report as one self-contained HTML page to look at: inline CSS
// and SVG plots (pictures/svg_plot.h), no script, nothing fetched from elsewhere.
//
// Sections, in this order, each an <h2>: the run's status (and for a stopped run why, then
// "What to do"); Families (the table of report's text); Loop-break copies (their number, a
// table of at most 100, and the pictures of the 20 largest loops, largest first, inline
// SVG from `loop_picture`, or a note when it gives none; of more than 300 copies every k-th
// one's loop is measured, so that at most 300 are); Inbreeding (a histogram of F, the
// mean F by generation and, when ids.csv gives years of birth, by birth year); Breed
// composition (stacked bars of the mean fractions per family, the 40 largest families, and by
// birth year); Completeness (a histogram of ecg); Founders (the overall figures, the figures
// per family and per breed, reports/founders_report.h). Figures are over the animals read
// (no copies, no dummies).
#ifndef PEDPREP_REPORTS_HTML_REPORT_H_
#define PEDPREP_REPORTS_HTML_REPORT_H_

#include <cstdint>
#include <functional>
#include <future>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "reports/founders_report.h"

namespace pedprep {

class RunFacts;

// The pictures of the loops that the loop-break copies at store positions `positions` break,
// in that order, each as an <svg> element; when one cannot be drawn, the pictures before it,
// with `note` saying why (say, dot is not installed).
struct LoopPictures {
  std::vector<std::string> svgs;
  std::string note;
};

// Draws the loop pictures of the run of `facts`, which is observed already (the preparation is
// not run again). What needs `facts` is done before it returns; the rendering may go on beside
// the rest of the page, and the future holds its pictures.
using LoopPicture = std::function<std::future<LoopPictures>(const RunFacts& facts,
                                                            const std::vector<int32_t>& positions)>;

// A future that holds `pictures` already.
std::future<LoopPictures> ReadyPictures(LoopPictures pictures);

struct HtmlRequest {
  std::string folder_name;  // for the title ("" = the current folder)
  ReferenceChoice reference;
};

// The page for the observed run, whose animal table `facts` holds, or "" with `problem` set
// when the reference population cannot be chosen.
std::string HtmlReport(const RunFacts& facts, const HtmlRequest& request,
                       const LoopPicture& loop_picture, std::string* problem);

// Exit status as RunReport's; the page goes to `out`.
int RunHtmlReport(const RunFacts& facts, const HtmlRequest& request,
                  const LoopPicture& loop_picture, std::ostream& out, std::ostream& err);

// The <svg> element of an SVG document (what comes before "<svg" cut), or "" when it holds
// none.
std::string InlineSvg(const std::string& document);

}  // namespace pedprep

#endif  // PEDPREP_REPORTS_HTML_REPORT_H_
