#include "pictures/pdf_pages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace pedprep {
namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// The integer after `key` in `text` (as "/Contents 4 0 R" or "startxref\n123"); -1 if none.
long NumberAfter(const std::string& text, const std::string& key, std::size_t from = 0) {
  const std::size_t at = text.find(key, from);
  if (at == std::string::npos) return -1;
  const char* start = text.c_str() + at + key.size();
  char* end = nullptr;
  const long value = std::strtol(start, &end, 10);
  return end == start ? -1 : value;
}

// The objects of a PDF with a classic cross-reference table: number -> its bytes
// ("N 0 obj ... endobj\n"), in file order; empty when the table is not found.
std::map<long, std::string> Objects(const std::string& pdf, long* size) {
  std::map<long, std::string> objects;
  const long xref = NumberAfter(pdf, "startxref", pdf.size() > 64 ? pdf.size() - 64 : 0);
  if (xref <= 0 || static_cast<std::size_t>(xref) >= pdf.size() ||
      pdf.compare(static_cast<std::size_t>(xref), 4, "xref") != 0) {
    return objects;
  }
  const long first = NumberAfter(pdf, "xref", static_cast<std::size_t>(xref));
  const std::size_t count_at = pdf.find(' ', static_cast<std::size_t>(xref) + 5);
  if (first != 0 || count_at == std::string::npos) return objects;
  *size = std::strtol(pdf.c_str() + count_at + 1, nullptr, 10);
  const std::size_t entries = pdf.find('\n', count_at) + 1;
  std::vector<std::pair<long, long>> offsets;  // offset, number
  for (long k = 1; k < *size; ++k) {
    const std::size_t entry = entries + static_cast<std::size_t>(k) * 20;
    if (entry + 20 > pdf.size()) return {};
    if (pdf[entry + 17] == 'n') offsets.emplace_back(std::strtol(&pdf[entry], nullptr, 10), k);
  }
  std::sort(offsets.begin(), offsets.end());
  for (std::size_t k = 0; k < offsets.size(); ++k) {
    const long begin = offsets[k].first;
    const long end = k + 1 < offsets.size() ? offsets[k + 1].first : xref;
    if (begin <= 0 || end > xref || begin >= end) return {};
    objects[offsets[k].second] =
        pdf.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
  }
  return objects;
}

}  // namespace

std::optional<Paper> PaperNamed(const std::string& name) {
  if (name == "a4") return Paper{"A4", 595.28, 841.89};
  if (name == "a3") return Paper{"A3", 841.89, 1190.55};
  if (name == "letter") return Paper{"letter", 612, 792};
  return std::nullopt;
}

namespace {

// Room a box keeps from a cut (its border is drawn over its edge).
constexpr double kBoxPad = 2;

// Where tiles of `length` start along an extent of `size` points, from 0 up: each at the
// first of `spans` (low, high) that the tile before cuts, or where it ends when it cuts
// none (or only spans longer than a tile).
std::vector<double> Starts(double size, double length,
                           const std::vector<std::pair<double, double>>& spans) {
  std::vector<double> starts = {0};
  while (starts.back() + length < size - 1e-9) {
    const double start = starts.back();
    const double end = start + length;
    double next = end;
    for (const auto& [low, high] : spans) {
      const bool fits = high - low + 2 * kBoxPad <= length;  // else it is cut anyway
      if (fits && low - kBoxPad < end && high + kBoxPad > end && low - kBoxPad > start + 1) {
        next = std::min(next, low - kBoxPad);
      }
    }
    starts.push_back(next);
  }
  return starts;
}

bool Overlaps(const PictureBox& box, double left, double right, double bottom, double top) {
  return box.left <= right && box.right >= left && box.bottom <= top && box.top >= bottom;
}

PaperLayout Fit(const PictureLayout& picture, const Paper& paper, bool landscape) {
  PaperLayout layout;
  layout.landscape = landscape;
  layout.page_width = landscape ? paper.height : paper.width;
  layout.page_height = landscape ? paper.width : paper.height;
  const double width = std::max(picture.width, 1.0);
  const double height = std::max(picture.height, 1.0);
  const double across = layout.page_width - 2 * kPaperMargin;
  const double down = layout.page_height - 2 * kPaperMargin - kPaperFooter;
  layout.scale = std::min({1.0, across / width, down / height});
  if (layout.scale >= kReadableScale) {
    layout.column_starts = {0};
    layout.row_tops = {height};
    layout.tile_width = width;
    layout.tile_height = height;
    layout.page_of = {1};
    return layout;
  }
  layout.scale = kReadableScale;
  std::vector<std::pair<double, double>> xs;
  std::vector<std::pair<double, double>> ys;  // from the top
  for (const PictureBox& box : picture.boxes) {
    xs.emplace_back(box.left, box.right);
    ys.emplace_back(height - box.top, height - box.bottom);
  }
  layout.tile_width = across / layout.scale;
  layout.tile_height = down / layout.scale;
  layout.column_starts = Starts(width, layout.tile_width, xs);
  for (double from_top : Starts(height, layout.tile_height, ys)) {
    layout.row_tops.push_back(height - from_top);
  }
  layout.columns = static_cast<int>(layout.column_starts.size());
  layout.rows = static_cast<int>(layout.row_tops.size());
  layout.pages = 0;
  const bool known = !picture.boxes.empty() || !picture.marks.empty();
  for (int r = 0; r < layout.rows; ++r) {
    for (int c = 0; c < layout.columns; ++c) {
      const double left = layout.column_starts[static_cast<std::size_t>(c)];
      const double right = left + layout.tile_width;
      const double top = layout.row_tops[static_cast<std::size_t>(r)];
      const double bottom = top - layout.tile_height;
      bool shown = !known;
      for (const auto* part : {&picture.boxes, &picture.marks}) {
        for (const PictureBox& box : *part) {
          shown = shown || Overlaps(box, left, right, bottom, top);
        }
      }
      layout.page_of.push_back(shown ? ++layout.pages : 0);
    }
  }
  return layout;
}

// Where the picture goes on from page (r, c): the neighbouring tiles printed.
std::string Continues(const PaperLayout& layout, int r, int c) {
  std::string text;
  const std::pair<const char*, std::pair<int, int>> sides[] = {
      {"left", {r, c - 1}}, {"right", {r, c + 1}}, {"above", {r - 1, c}}, {"below", {r + 1, c}}};
  for (const auto& [side, at] : sides) {
    if (at.first < 0 || at.first >= layout.rows || at.second < 0 || at.second >= layout.columns) {
      continue;
    }
    const int page = layout.page_of[(static_cast<std::size_t>(at.first) *
                                     static_cast<std::size_t>(layout.columns)) +
                                    static_cast<std::size_t>(at.second)];
    if (page == 0) continue;
    text += (text.empty() ? "; " : ", ") + std::string(side) + ": page " + std::to_string(page);
  }
  return text;
}

}  // namespace

PaperLayout LayOutOnPaper(const PictureLayout& picture, const Paper& paper) {
  const bool wide = picture.width > picture.height;
  const PaperLayout preferred = Fit(picture, paper, wide);
  const PaperLayout other = Fit(picture, paper, !wide);
  const bool other_reads_better = other.pages == 1 && preferred.pages == 1
                                      ? other.scale > preferred.scale + 1e-9
                                      : other.pages < preferred.pages;
  return other_reads_better ? other : preferred;
}

PaperLayout LayOutOnPaper(double width, double height, const Paper& paper) {
  PictureLayout picture;
  picture.width = width;
  picture.height = height;
  return LayOutOnPaper(picture, paper);
}

namespace {

constexpr const char* kUnexpectedPdf = "dot's PDF is not the one page of the expected form";

// dot's one page: its object, the object of its content stream, its MediaBox and the
// reference to its resources ("N 0 R").
struct DotPage {
  long page = 0;
  long contents = 0;
  double media[4] = {0, 0, 0, 0};
  std::string resources_ref;
};

// Finds dot's one page among `objects`; false when there is not exactly one or it is not of
// the expected form.
bool FindDotPage(const std::map<long, std::string>& objects, DotPage* found) {
  long page = 0;
  for (const auto& [number, text] : objects) {
    const std::size_t type = text.find("/Type /Page");
    if (type != std::string::npos && text.compare(type, 12, "/Type /Pages") != 0) {
      if (page != 0) page = -1;  // more than one page
      if (page == 0) page = number;
    }
  }
  if (page <= 0) return false;
  const std::string& page_text = objects.at(page);
  const long contents = NumberAfter(page_text, "/Contents ");
  const std::size_t box = page_text.find("/MediaBox [");
  const std::size_t resources = page_text.find("/Resources ");
  if (contents <= 0 || objects.count(contents) == 0 || box == std::string::npos ||
      resources == std::string::npos || page_text.find(" 0 R", resources) == std::string::npos) {
    return false;
  }
  found->page = page;
  found->contents = contents;
  const char* at = page_text.c_str() + box + 11;
  for (double& value : found->media) {
    char* end = nullptr;
    value = std::strtod(at, &end);
    at = end;
  }
  found->resources_ref =
      page_text.substr(resources + 11, page_text.find(" 0 R", resources) + 4 - resources - 11);
  return true;
}

// The page's content stream `form` becomes a form the new pages draw; false when it has no
// dictionary.
bool MakeForm(const DotPage& page, std::string* form) {
  const std::size_t open = form->find("<<");
  if (open == std::string::npos) return false;
  const double* media = page.media;
  form->insert(open + 2, " /Type /XObject /Subtype /Form /BBox [ " + Number(media[0]) + " " +
                             Number(media[1]) + " " + Number(media[2]) + " " + Number(media[3]) +
                             " ] /Resources " + page.resources_ref + "\n  ");
  return true;
}

// The picture's boxes on dot's page: shifted by the pad dot leaves around the drawing.
PictureLayout OnDotPage(const PictureLayout& picture, const DotPage& page) {
  PictureLayout placed = picture;
  placed.width = page.media[2] - page.media[0];
  placed.height = page.media[3] - page.media[1];
  const double pad_x = picture.width > 0 ? (placed.width - picture.width) / 2 : 0;
  const double pad_y = picture.height > 0 ? (placed.height - picture.height) / 2 : 0;
  for (auto* part : {&placed.boxes, &placed.marks}) {
    for (PictureBox& b : *part)
      b = {b.left + pad_x, b.bottom + pad_y, b.right + pad_x, b.top + pad_y};
  }
  return placed;
}

// The content stream of page `k`, tile (r, c) of `layout`: the form clipped and scaled, and
// on tiled pages the foot line.
std::string TileContent(const PaperLayout& layout, const PictureLayout& placed, const DotPage& page,
                        int r, int c, int k) {
  const double across = layout.page_width - 2 * kPaperMargin;
  const double down = layout.page_height - 2 * kPaperMargin - kPaperFooter;
  const double bottom = kPaperMargin + kPaperFooter;
  const double s = layout.scale;
  const bool single = layout.columns * layout.rows == 1;
  const double left = layout.column_starts[static_cast<std::size_t>(c)];
  const double tile_width = layout.tile_width;
  const double top = layout.row_tops[static_cast<std::size_t>(r)];
  const double tile_height = layout.tile_height;
  // The tile's upper left corner at the page's upper left inside the margin.
  double x = kPaperMargin - s * left;
  double y = bottom + down - s * top;
  double clip_y = bottom + down - s * tile_height;
  if (single) {  // centred across, at the top
    x = kPaperMargin + (across - placed.width * s) / 2;
    y = bottom + down - placed.height * s;
    clip_y = bottom;
  }
  const double clip_width = single ? across : s * tile_width;
  const double clip_height = single ? down : s * tile_height;
  std::string content = "q " + Number(kPaperMargin) + " " + Number(clip_y) + " " +
                        Number(clip_width) + " " + Number(clip_height) + " re W n " + Number(s) +
                        " 0 0 " + Number(s) + " " + Number(x - s * page.media[0]) + " " +
                        Number(y - s * page.media[1]) + " cm /Picture Do Q\n";
  if (layout.pages > 1) {
    content += "BT /Helvetica 8 Tf " + Number(kPaperMargin) + " " + Number(kPaperMargin + 4) +
               " Td (page " + std::to_string(k) + " of " + std::to_string(layout.pages) +
               " \\(row " + std::to_string(r + 1) + ", column " + std::to_string(c + 1) + "\\)" +
               Continues(layout, r, c) + ") Tj ET\n";
  }
  return content;
}

// Appends to `objects`, numbered from `size` up: the font, per printed tile its content
// stream and page, the page tree and the catalog. Returns the catalog's number; the next
// free number is one more.
long AddPages(const PaperLayout& layout, const PictureLayout& placed, const DotPage& page,
              long size, std::map<long, std::string>* objects) {
  long next = size;
  const long font = next++;
  (*objects)[font] =
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";
  std::string kids;
  const long tree = size + 1 + 2L * layout.pages;
  for (int r = 0; r < layout.rows; ++r) {
    for (int c = 0; c < layout.columns; ++c) {
      const int k =
          layout.page_of[(static_cast<std::size_t>(r) * static_cast<std::size_t>(layout.columns)) +
                         static_cast<std::size_t>(c)];
      if (k == 0) continue;
      const std::string content = TileContent(layout, placed, page, r, c, k);
      const long stream = next++;
      const long leaf = next++;
      (*objects)[stream] =
          "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream";
      (*objects)[leaf] = "<< /Type /Page /Parent " + std::to_string(tree) +
                         " 0 R /MediaBox [ 0 0 " + Number(layout.page_width) + " " +
                         Number(layout.page_height) + " ] /Contents " + std::to_string(stream) +
                         " 0 R /Resources << /XObject << /Picture " +
                         std::to_string(page.contents) + " 0 R >> /Font << /Helvetica " +
                         std::to_string(font) + " 0 R >> >> >>";
      kids += std::to_string(leaf) + " 0 R ";
    }
  }
  (*objects)[next++] =
      "<< /Type /Pages /Kids [ " + kids + "] /Count " + std::to_string(layout.pages) + " >>";
  const long catalog = next;
  (*objects)[catalog] = "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>";
  return catalog;
}

// The PDF of `objects`: those below `size` as read, the others wrapped as "N 0 obj", then the
// cross-reference table of objects 0..catalog and the trailer.
std::string WritePdf(const std::map<long, std::string>& objects, long size, long catalog) {
  const long next = catalog + 1;
  std::string out = "%PDF-1.5\n%\xb5\xed\xae\xfb\n";
  std::map<long, std::size_t> offsets;
  for (const auto& [number, text] : objects) {
    offsets[number] = out.size();
    if (number < size) {
      out += text;  // as read: "N 0 obj ... endobj\n"
    } else {
      out += std::to_string(number) + " 0 obj\n" + text + "\nendobj\n";
    }
  }
  const std::size_t xref = out.size();
  out += "xref\n0 " + std::to_string(next) + "\n0000000000 65535 f \n";
  for (long k = 1; k < next; ++k) {
    char entry[21];
    auto it = offsets.find(k);
    std::snprintf(entry, sizeof entry, "%010zu %05d %c \n", it == offsets.end() ? 0 : it->second,
                  it == offsets.end() ? 65535 : 0, it == offsets.end() ? 'f' : 'n');
    out += entry;
  }
  out += "trailer\n<< /Size " + std::to_string(next) + " /Root " + std::to_string(catalog) +
         " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return out;
}

}  // namespace

std::string PlaceOnPaper(const std::string& pdf, const PictureLayout& picture, const Paper& paper,
                         std::string* problem) {
  long size = 0;
  std::map<long, std::string> objects = Objects(pdf, &size);
  DotPage page;
  if (!FindDotPage(objects, &page) || !MakeForm(page, &objects[page.contents])) {
    *problem = kUnexpectedPdf;
    return "";
  }
  const PictureLayout placed = OnDotPage(picture, page);
  const long catalog = AddPages(LayOutOnPaper(placed, paper), placed, page, size, &objects);
  return WritePdf(objects, size, catalog);
}

}  // namespace pedprep
