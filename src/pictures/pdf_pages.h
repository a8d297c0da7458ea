// A picture laid out on paper: the one-page PDF that dot writes (through cairo) placed on
// pages of A4, A3 or US letter, scaled down to fit one page, or, when the labels would
// become too small to read, tiled over numbered pages.
//
// The input's objects are kept as they are (same numbers); its page's content stream
// becomes a form XObject (/BBox its MediaBox, /Resources its page's). Appended after them:
// a Helvetica font, per page a content stream and a page, the page tree and the catalog,
// then a new cross-reference table and trailer. Each page draws, inside a margin of
// kPaperMargin points, its part of the picture scaled by `scale`; tiled pages say
// "page K of N (row R, column C)" at the foot, then where the picture goes on: "left: page
// J, right: page L, above: ..., below: ..." (the neighbouring pages printed).
//
// Tiles overlap: the next tile starts at the first box a tile cuts, so each box is whole on
// a page (a box larger than a whole page is cut), and a tile that holds no box and no line
// is not printed.
#ifndef PEDPREP_INSPECT_PDF_PAGES_H_
#define PEDPREP_INSPECT_PDF_PAGES_H_

#include <optional>
#include <string>
#include <vector>

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

// A rectangle of a picture in points, the origin at the picture's lower left corner.
struct PictureBox {
  double left = 0;
  double bottom = 0;
  double right = 0;
  double top = 0;
};

// What of a picture must stay whole on a page (its boxes: animals, labels, the title) and
// what only makes a tile worth printing (`marks`: points of the lines).
struct PictureLayout {
  double width = 0;
  double height = 0;
  std::vector<PictureBox> boxes;
  std::vector<PictureBox> marks;
};

// How a picture goes on `paper`: one page at `scale` <= 1 when that keeps the labels
// readable, else tiles at kReadableScale. Landscape when wider than high, unless the other
// way round holds it on one page at a larger scale (or on fewer pages). Tile c of the
// columns shows the picture from column_starts[c] to column_starts[c] + tile_width (points
// from the left), tile r of the rows from row_tops[r] down to row_tops[r] - tile_height
// (points from the bottom); the next tile starts at the first box the tile cuts, so tiles
// overlap and every box no larger than a tile is whole on a page. page_of[r * columns +
// c]: the tile's page number, 0 = not printed.
struct PaperLayout {
  bool landscape = false;
  double page_width = 0;
  double page_height = 0;
  double scale = 1;
  int columns = 1;
  int rows = 1;
  std::vector<double> column_starts;
  std::vector<double> row_tops;
  double tile_width = 0;
  double tile_height = 0;
  std::vector<int> page_of;
  int pages = 1;
};
PaperLayout LayOutOnPaper(const PictureLayout& picture, const Paper& paper);
// A picture known only by its size: every tile printed, cut at page size.
PaperLayout LayOutOnPaper(double width, double height, const Paper& paper);

// The PDF of `pdf` (one page, classic cross-reference table) on `paper`, tiles cut between
// the boxes of `picture` (its size the page's without dot's pad, which is added); "" with
// `problem` set when `pdf` is not of that form.
std::string PlaceOnPaper(const std::string& pdf, const PictureLayout& picture, const Paper& paper,
                         std::string* problem);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_PDF_PAGES_H_
