#include "pictures/pdf_pages.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "core/command_runner.h"

namespace pedprep {
namespace {

// One page scaled down while 10 pt labels stay readable (scale 0.7), else tiles at 0.7;
// landscape when wider than high unless upright takes fewer pages. A4 landscape holds
// 785.89 x 523.28 points (539.28 high without the footer of a tiled page).
TEST(PdfPagesTest, FitOrTile) {
  const Paper a4 = *PaperNamed("a4");
  struct Case {
    double width, height;
    bool landscape;
    double scale;
    int columns, rows;
  };
  for (const Case& c :
       {Case{500, 300, true, 1, 1, 1}, Case{300, 500, false, 1, 1, 1},
        Case{785.89 / 0.7, 100, true, 0.7, 1, 1}, Case{785.89 / 0.7 + 1, 100, true, 0.7, 2, 1},
        Case{4015, 1019, false, 0.7, 6, 1}, Case{400, 400, false, 1, 1, 1},
        Case{1100, 760, true, 0.7, 1, 2}}) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    const PaperLayout layout = LayOutOnPaper(c.width, c.height, a4);
    EXPECT_EQ(layout.landscape, c.landscape);
    EXPECT_NEAR(layout.scale, c.scale, 1e-6);
    EXPECT_EQ(layout.columns, c.columns);
    EXPECT_EQ(layout.rows, c.rows);
  }
  EXPECT_FALSE(PaperNamed("A5"));
}

// dot's own PDF of a long chain on A3 pages: numbered tiles of the paper's size.
TEST(PdfPagesTest, DotsPdfTiledOnPaper) {
  std::string chain = "digraph { ";
  for (int k = 0; k < 60; ++k) chain += "n" + std::to_string(k) + " -> ";
  chain += "end }";
  const ProcessResult dot = RunProcess({"dot", "-Tpdf"}, chain, 30);
  if (dot.end == ProcessResult::End::kNotFound) GTEST_SKIP() << "no dot";
  ASSERT_EQ(dot.exit_status, 0) << dot.errors;
  std::string problem;
  const std::string pdf = PlaceOnPaper(dot.output, PictureLayout(), *PaperNamed("a3"), &problem);
  ASSERT_EQ(problem, "");
  const std::regex page("/Type /Page /Parent \\d+ 0 R /MediaBox \\[ 0 0 841.89 1190.55 \\]");
  EXPECT_EQ(
      std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()), 3);
  EXPECT_NE(pdf.find("(page 3 of 3 \\(row 3, column 1\\); above: page 2)"), std::string::npos);
  EXPECT_NE(pdf.find("/Type /Pages /Kids [ "), std::string::npos);
  EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
  EXPECT_EQ(PlaceOnPaper("not a pdf", PictureLayout(), *PaperNamed("a4"), &problem), "");
  EXPECT_EQ(problem, "dot's PDF is not the one page of the expected form");
}

}  // namespace
}  // namespace pedprep
