// A picture laid out on paper: the one-page PDF that dot writes (through cairo) placed on
// pages of A4, A3 or US letter, scaled down to fit one page, or, when the labels would
// become too small to read, tiled over numbered pages.
//
// The input's objects are kept as they are (same numbers); its page's content stream
// becomes a form XObject (/BBox its MediaBox, /Resources its page's). Appended after them:
// a Helvetica font, per page a content stream and a page, the page tree and the catalog,
// then a new cross-reference table and trailer. Each page draws, inside a margin of
// kPaperMargin points, its part of the picture scaled by `scale`; tiled pages say
// "page K of N (row R, column C)" at the foot.
#ifndef PEDPREP_INSPECT_PDF_PAGES_H_
#define PEDPREP_INSPECT_PDF_PAGES_H_

#include <optional>
#include <string>

namespace pedprep {

inline constexpr double kPaperMargin = 28;     // points on each side
inline constexpr double kPaperFooter = 16;     // points below the picture for the page number
inline constexpr double kReadableScale = 0.7;  // smallest scale that keeps 10 pt labels readable

// A paper size in points, portrait.
struct Paper {
  const char* name;
  double width;
  double height;
};
// "a4", "a3" or "letter"; nullopt for anything else.
std::optional<Paper> PaperNamed(const std::string& name);

// How a picture of `width` x `height` points goes on `paper`: landscape when wider than
// high; one page at `scale` <= 1 when that keeps the labels readable, else tiles of
// columns x rows pages at kReadableScale.
struct PaperLayout {
  bool landscape = false;
  double page_width = 0;
  double page_height = 0;
  double scale = 1;
  int columns = 1;
  int rows = 1;
};
PaperLayout LayOutOnPaper(double width, double height, const Paper& paper);

// The PDF of `pdf` (one page, classic cross-reference table) on `paper`; "" with `problem`
// set when `pdf` is not of that form.
std::string PlaceOnPaper(const std::string& pdf, const Paper& paper, std::string* problem);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_PDF_PAGES_H_
