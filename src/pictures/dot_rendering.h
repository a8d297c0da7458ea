// Pictures rendered from DOT text by the Graphviz program `dot`.
//
// SVG is dot's own. A PNG is never above kMaxPngSide pixels a side: a larger picture is
// drawn at a lower resolution, or refused when its 10 pt labels would fall below
// kMinLabelPixels. A PDF is laid out on paper (pictures/pdf_pages.h), its tiles cut between
// the boxes of dot's own layout. A picture wider than kWidePicturePixels warns. What dot says on
// its standard error while it succeeds comes back as warnings in pedprep's words.
#ifndef PEDPREP_PICTURES_DOT_RENDERING_H_
#define PEDPREP_PICTURES_DOT_RENDERING_H_

#include <functional>
#include <string>
#include <vector>

#include "pictures/pdf_pages.h"

namespace pedprep {

inline constexpr double kMaxPngSide = 16384;
inline constexpr double kMinLabelPixels = 6;

struct RenderRequest {
  std::string format;        // "svg", "png" or "pdf"
  int timeout_seconds = 60;  // for each run of dot
  std::string paper = "a4";  // a PDF's paper: "a4", "a3" or "letter"
};

struct Rendered {
  std::string problem;                // "" when rendered, else why not, in one line
  std::vector<std::string> warnings;  // what dot warned of, one line each
};

// Renders DOT text as an image into `image`.
using DotRenderer = std::function<Rendered(const std::string& dot, const RenderRequest& request,
                                           std::string* image)>;

// Runs the Graphviz program `dot` found on PATH, the DOT text on its standard input and the
// image from its standard output (no file is written). `dot` is killed when it runs longer
// than the time limit and when pedprep ends.
Rendered RenderWithDot(const std::string& dot, const RenderRequest& request, std::string* image);

// Renders each of `dots` as SVG, the images into `images` in the same order, each as
// RenderWithDot makes it: in one run of dot, or with several pictures and processors in two
// runs at once, each on a share of them. "" when all are rendered, else why not (nothing in
// `images`); dot's warnings are left out.
std::string RenderSvgs(const std::vector<std::string>& dots, int timeout_seconds,
                       std::vector<std::string>* images);

// The layout of a picture from what dot writes as DOT (-Tdot): the size of the root graph's
// bounding box, a box for each node, for the graph's and each cluster's label, and a mark
// for each point of a line and each label placed on a line or beside a node.
PictureLayout LayoutOfDot(const std::string& laid_out);

// Pictures wider than this many pixels at 96 dpi draw a suggestion to draw less.
inline constexpr double kWidePicturePixels = 8000;

// A line dot wrote on its standard error, in pedprep's words.
std::string DotWarningInWords(const std::string& line);

}  // namespace pedprep

#endif  // PEDPREP_PICTURES_DOT_RENDERING_H_
