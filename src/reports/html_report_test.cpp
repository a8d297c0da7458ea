#include "reports/html_report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "figures/run_facts.h"
#include "pictures/svg_plot.h"
#include "testing/pedigree_fixture.h"
#include "testing/run_folder.h"

namespace pedprep {
namespace {

struct Page {
  int status = 0;
  std::string html, err;
  std::vector<int32_t> drawn;  // positions the loop pictures were asked for
};

Page Report(MemoryFileSystem& folder, bool pictures) {
  Page page;
  const LoopPicture picture = [&page, pictures](const RunFacts&,
                                                const std::vector<int32_t>& positions) {
    page.drawn.insert(page.drawn.end(), positions.begin(), positions.end());
    if (!pictures) return ReadyPictures({{}, "dot is not installed"});
    return ReadyPictures(
        {std::vector<std::string>(positions.size(), "<svg id=\"loop\"></svg>"), ""});
  };
  std::ostringstream out, err;
  page.status = WithRunFacts(folder, err, [&](const RunFacts& facts) {
    return RunHtmlReport(facts, {"herd <1>", {}}, picture, out, err);
  });
  page.html = out.str();
  page.err = err.str();
  return page;
}

// The headings in their order, and nothing the page would fetch from elsewhere.
void ExpectSelfContainedPage(const std::string& html, const std::vector<std::string>& headings) {
  std::size_t at = 0;
  for (const std::string& heading : headings) {
    const std::size_t found = html.find("<h2>" + heading + "</h2>", at);
    ASSERT_NE(found, std::string::npos) << heading;
    at = found;
  }
  for (const char* outside : {"src=", "href=", "url(", "<script", "@import", "<link"}) {
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  }
  const std::string svg_name = "xmlns=\"http://www.w3.org/2000/svg\"";
  std::string rest = html;
  for (std::size_t k; (k = rest.find(svg_name)) != std::string::npos;)
    rest.erase(k, svg_name.size());
  EXPECT_EQ(rest.find("http"), std::string::npos);
}

TEST(HtmlReport, FinishedRunWithPicturesOrANote) {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  folder.files["ids.csv"] = "ini_id,id\r\n4,<b>&4\r\n";
  Page page = Report(folder, true);
  EXPECT_EQ(page.status, 0) << page.err;
  ExpectSelfContainedPage(page.html, {"Overall figures", "Inbreeding by family",
                                      "The most inbred animals", "Inbreeding", "Breed composition",
                                      "Completeness", "Families", "Loop-break copies", "Founders"});
  EXPECT_NE(page.html.find("<title>pedprep report: herd &lt;1&gt;</title>"), std::string::npos);
  EXPECT_NE(page.html.find("&lt;b&gt;&amp;4"), std::string::npos);
  EXPECT_EQ(page.html.find("<b>&4"), std::string::npos);
  EXPECT_EQ(page.html.find("What to do"), std::string::npos);
  EXPECT_EQ(page.drawn, std::vector<int32_t>{6});  // the one loop-break copy
  EXPECT_NE(page.html.find("<svg id=\"loop\"></svg>"), std::string::npos);
  EXPECT_NE(page.html.find("<dt>effective number of founders</dt><dd>3.20</dd>"),
            std::string::npos);
  // The caution lines and the kinship of the reference population.
  EXPECT_NE(page.html.find("<dt>caution</dt><dd>the reference population holds 4 animals, "
                           "fewer than 20</dd>"),
            std::string::npos);
  // Over 1:3, 1:4, 1:5 and 2:3: (4 x 1/2 + 1/8 + 2 x (1/4 + 3/8 + 3/8)) / 16.
  EXPECT_NE(page.html.find("<dt>mean kinship</dt><dd>0.257812</dd>\n"
                           "<dt>gene diversity</dt><dd>0.742188</dd>"),
            std::string::npos);
  // The one inbred animal (the child of full sibs 3 and 4) with its parents; the F = 0
  // animals counted beside the histogram; no birth years, so no plot by year, and why.
  EXPECT_NE(page.html.find("<tr><td class=\"text\">ini_id 5</td><td>1:5</td><td>0.2500</td>"
                           "<td class=\"text\">ini_id 3</td><td class=\"text\">&lt;b&gt;&amp;4"
                           "</td></tr>"),
            std::string::npos)
      << page.html;
  // The text report's mean and max F of family 1 (reports/report_test.cpp).
  EXPECT_NE(page.html.find("<tr><td>1</td><td>5</td><td>0.050000</td><td>0.250000</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.html.find("1 family has no inbred animal (F = 0 for all), not listed."),
            std::string::npos);
  EXPECT_NE(page.html.find("Inbreeding of the 1 animals with F &gt; 0; 7 of the 8 animals read"),
            std::string::npos);
  EXPECT_NE(page.html.find("ids.csv gives no birth years"), std::string::npos);

  page = Report(folder, false);
  EXPECT_NE(page.html.find("No pictures: dot is not installed."), std::string::npos);
}

TEST(HtmlReport, StoppedRunSaysWhatToDo) {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  const std::vector<testing::PassportRow> rows =
      testing::PassportRows(testing::SireDaughterLoops(kMaxBreaks + 1));
  folder.files["PEDIGREE.PRN"] = testing::PassportText(static_cast<long>(rows.size()), 2, rows);
  const Page page = Report(folder, true);
  EXPECT_EQ(page.status, 0) << page.err;
  ExpectSelfContainedPage(page.html,
                          {"What to do", "Overall figures", "Inbreeding", "Breed composition",
                           "Completeness", "Families", "Loop-break copies", "Founders"});
  // What to do is a list; its table stays preformatted.
  EXPECT_NE(page.html.find("<ul class=\"todo\">\n<li>The run makes at most"), std::string::npos)
      << page.html;
  EXPECT_NE(page.html.find("<pre>"), std::string::npos);
  EXPECT_NE(page.html.find("class=\"status stopped\">The run stops: the loop breaking reaches "
                           "the limit of 4,096 copies"),
            std::string::npos);
  EXPECT_TRUE(page.drawn.empty());
  // Counts for people grouped in every sentence.
  EXPECT_NE(page.html.find("Inbreeding of the 4,097 animals with F &gt; 0; 12,291 of the 16,388 "
                           "animals read"),
            std::string::npos);
  EXPECT_NE(page.html.find("the 8,194 animals with both parents known"), std::string::npos);
}

TEST(SvgPlot, HistogramClassesAtTheirBounds) {
  const BarChart chart = Histogram({-1.0, 0.0, 0.0249, 0.025, 0.2499, 0.25, 7.0}, 0.0, 0.25, 10, 3);
  EXPECT_EQ(chart.values, (std::vector<double>{3, 1, 0, 0, 0, 0, 0, 0, 0, 3}));
  EXPECT_EQ(chart.labels.front(), "0.000");
  EXPECT_EQ(chart.labels.back(), "0.225");
}

}  // namespace
}  // namespace pedprep
