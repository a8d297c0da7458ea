#include "pictures/draw.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/command_runner.h"
#include "figures/run_facts.h"
#include "pictures/dot_writer.h"
#include "pictures/pdf_pages.h"
#include "reading/observed_run.h"
#include "records/csv.h"
#include "reports/report.h"
#include "testing/build_paths.h"
#include "testing/fakes.h"
#include "testing/loop_folders.h"
#include "testing/run_folder.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::LoopFolder;

struct Drawn {
  int status = 0;
  std::string out, err;
  MemoryFileSystem written;
  std::vector<std::string> rendered;  // format and time limit of each rendering
};

Drawn Draw(MemoryFileSystem folder, DrawRequest request, const std::string& render_problem = "") {
  Drawn d;
  std::ostringstream out, err;
  auto render = [&d, &render_problem](const std::string&, const RenderRequest& request,
                                      std::string* image) {
    d.rendered.push_back(request.format + " " + std::to_string(request.timeout_seconds) + " " +
                         request.paper);
    *image = "IMAGE";
    return Rendered{render_problem, {"dot warns: a warning"}};
  };
  d.status = RunDraw(folder, request, d.written, render, out, err);
  d.out = out.str();
  d.err = err.str();
  return d;
}

DrawRequest Family(const std::string& family, const std::string& output = "") {
  DrawRequest request;
  request.family = family;
  request.output = output;
  return request;
}

const std::string kLegend =
    "  subgraph cluster_legend {\n"
    "    label=\"Legend\"; fontsize=10; color=gray60;\n"
    "    legend_1 [label=\"male\", shape=box];\n"
    "    legend_2 [label=\"female\", shape=ellipse];\n"
    "    legend_3 [label=\"\", shape=point, width=0.06, xlabel=\"mating\"];\n"
    "    legend_4 [label=\"loop-break copy\", shape=box, style=\"dashed\"];\n"
    "    legend_5 [label=\"parent copy\", shape=box, style=\"filled\", peripheries=2, "
    "fillcolor=gray85];\n"
    "    legend_6 [label=\"dummy\", shape=box, style=\"dotted\"];\n"
    "    { rank=same; legend_1 -> legend_2 -> legend_3 -> legend_4 -> legend_5 -> legend_6 "
    "[style=invis]; }\n"
    "  }\n"
    "}\n";

TEST(DrawTest, FamilyWithOneLoopBreakNodeByNode) {
  DrawRequest request = Family("1");
  request.folder_name = "herd";
  const Drawn d = Draw(LoopFolder(), request);
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.out,
            "digraph \"pedigree\" {\n"
            "  graph [rankdir=TB, labelloc=t, fontname=\"Helvetica\", fontsize=14, "
            "label=\"herd, family 1\\n10 animals\"];\n"
            "  graph [pack=true, packmode=\"array_1\"];\n"
            "  node [fontname=\"Helvetica\", fontsize=10];\n"
            "  edge [arrowsize=0.6, fontname=\"Helvetica\", fontsize=9];\n"
            "  p1 [label=\"SIRE \\\"A\\\"\\n1 (pos 1)\", shape=box];\n"
            "  p2 [label=\"ini_id 2\\n2 (pos 2)\", shape=ellipse];\n"
            "  p3 [label=\"ini_id 3\\n3 (pos 3)\", shape=box];\n"
            "  p4 [label=\"ini_id 4\\n4 (pos 4)\", shape=ellipse];\n"
            "  p5 [label=\"ini_id 5\\n5 (pos 5)\", shape=box];\n"
            "  p6 [label=\"ini_id 6\\n6 (pos 6)\", shape=ellipse];\n"
            "  p7 [label=\"ini_id 7\\n7 (pos 7)\", shape=ellipse];\n"
            "  p8 [label=\"ini_id 4\\n8 (pos 8)\", shape=ellipse, style=\"dashed\"];\n"
            "  p9 [label=\"SIRE \\\"A\\\"\\n9 (pos 9)\", shape=box, style=\"filled\", "
            "peripheries=2, fillcolor=gray85];\n"
            "  p10 [label=\"ini_id 2\\n10 (pos 10)\", shape=ellipse, style=\"filled\", "
            "peripheries=2, fillcolor=gray85];\n"
            "  m1_2 [shape=point, width=0.06];\n"
            "  p1 -> m1_2 [arrowhead=none];\n"
            "  p2 -> m1_2 [arrowhead=none];\n"
            "  m1_2 -> p3;\n"
            "  m1_2 -> p4;\n"
            "  m3_8 [shape=point, width=0.06];\n"
            "  p3 -> m3_8 [arrowhead=none];\n"
            "  p8 -> m3_8 [arrowhead=none];\n"
            "  m3_8 -> p5;\n"
            "  m5_6 [shape=point, width=0.06];\n"
            "  p5 -> m5_6 [arrowhead=none];\n"
            "  p6 -> m5_6 [arrowhead=none];\n"
            "  m5_6 -> p7;\n"
            "  m9_10 [shape=point, width=0.06];\n"
            "  p9 -> m9_10 [arrowhead=none];\n"
            "  p10 -> m9_10 [arrowhead=none];\n"
            "  m9_10 -> p8;\n"
            "  p8 -> p4 [style=dotted, arrowhead=none, constraint=false];\n"
            "  p9 -> p1 [style=dotted, arrowhead=none, constraint=false];\n"
            "  p10 -> p2 [style=dotted, arrowhead=none, constraint=false];\n" +
                kLegend);
  EXPECT_EQ(d.err, "");
}

// The animal lines ("  pN [") of a DOT text, in order.
std::vector<std::string> AnimalsDrawn(const std::string& dot) {
  std::vector<std::string> names;
  std::istringstream lines(dot);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  p", 0) == 0 && line.find(" [label=") != std::string::npos) {
      names.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
  }
  return names;
}

TEST(DrawTest, PartsOfAFamilyWithTitleAndLegend) {
  struct Case {
    const char* name;
    DrawRequest request;
    std::vector<std::string> animals;
    const char* title;
  };
  DrawRequest core = Family("1");
  core.core = true;
  DrawRequest around;
  around.around = "SIRE \"A\"";  // the founder 1: up to 3 generations, down 1
  DrawRequest around_five;
  around_five.around = "1:5";
  around_five.up = 1;
  around_five.down = 0;
  DrawRequest around_copies = around;
  around_copies.with_copies = true;
  DrawRequest around_five_copies = around_five;
  around_five_copies.with_copies = true;
  DrawRequest alone;
  alone.around = "1:4";
  alone.up = 0;
  alone.down = 0;
  DrawRequest whole_allowed = Family("1");
  whole_allowed.max_animals = 10;
  DrawRequest copy;
  copy.copy = "8";
  const std::vector<Case> cases = {
      // 6 and 7 peel off; the copies 8, 9 and 10 stay with their originals 4, 1 and 2.
      {"core",
       core,
       {"p1", "p2", "p3", "p4", "p5", "p8", "p9", "p10"},
       "family 1\\nthe animals of its loops and their copies, 8 animals"},
      // A mating shows both parents: the dam 2 of 1's children is drawn too.
      {"around a founder",
       around,
       {"p1", "p2", "p3", "p4"},
       "family 1\\nSIRE \\\"A\\\" with ancestors up to 3 generations and descendants down to 1 "
       "generation, as read"},
      {"around a founder with copies",
       around_copies,
       {"p1", "p2", "p3", "p4", "p8", "p9", "p10"},
       "descendants down to 1 generation, and their copies"},
      // The parents of 5 as read: its dam is 4, not the copy 8 it was given.
      {"around 1:5", around_five, {"p3", "p4", "p5"}, "ancestors up to 1 generation"},
      {"around 1:5 with copies", around_five_copies, {"p3", "p4", "p5", "p8"}, "their copies"},
      {"the copied animal alone", alone, {"p4"}, "up to 0 generations"},
      {"as many as allowed",
       whole_allowed,
       {"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9", "p10"},
       "10 animals"},
      // The full-sib loop 4 - m1_2 - 3 - m3_4, the copy beside 4, the child 5 it went to,
      // and the parents 1 and 2 at m1_2.
      {"copy",
       copy,
       {"p4", "p3", "p8", "p1", "p2", "p5"},
       "the loop that loop-break copy 8 (pos 8) of ini_id 4 breaks: 2 animals and 2 matings"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Drawn d = Draw(LoopFolder(), c.request);
    ASSERT_EQ(d.status, 0) << d.err;
    EXPECT_EQ(AnimalsDrawn(d.out), c.animals) << d.out;
    EXPECT_NE(d.out.find(c.title), std::string::npos) << d.out;
    EXPECT_NE(d.out.find(kLegend), std::string::npos) << d.out;
  }
  DrawRequest loop;
  loop.copy = "8";
  const std::string dot = Draw(LoopFolder(), loop).out;
  for (const char* edge :
       {"  p4 -> m3_4 [arrowhead=none, color=red, style=dashed", "  p8 -> m3_4 [arrowhead=none];",
        "  m3_4 -> p5;", "  p8 -> p4 [style=dotted", "  p1 -> m1_2 [arrowhead=none];",
        "  p2 -> m1_2 [arrowhead=none];"}) {
    EXPECT_NE(dot.find(edge), std::string::npos) << edge << "\n" << dot;
  }
  // With copies the copies keep their own parents: the loop-break copy 8 is the child of the
  // parent copies 9 and 10.
  const std::string with_copies = Draw(LoopFolder(), around_copies).out;
  for (const char* edge :
       {"  p9 -> m9_10 [arrowhead=none];", "  p10 -> m9_10 [arrowhead=none];", "  m9_10 -> p8;"}) {
    EXPECT_NE(with_copies.find(edge), std::string::npos) << edge << "\n" << with_copies;
  }
}

// --copy takes what report prints of a copy. Copies: 12 of animal 4 (id "7"), 13 of animal
// 5 (id "12", also the position of the other copy).
TEST(DrawTest, CopyNamedByPositionFamilyNumberOrId) {
  MemoryFileSystem folder = testing::TwoLoopFolder();
  folder.files["ids.csv"] = "ini_id,id,family,individual,added\r\n4,7,1,4,\r\n5,12,1,5,\r\n";
  struct Case {
    const char* copy;
    int status;
    std::string shown;  // in the title, or the message
  };
  const std::vector<Case> cases = {
      {"13", 0, "loop-break copy 13 (pos 13) of 12 breaks"},
      {"7", 0, "loop-break copy 12 (pos 12) of 7 breaks"},
      {"1:13", 0, "loop-break copy 13 (pos 13)"},
      {"1:5", 0, "loop-break copy 13 (pos 13)"},
      {"12", 64,
       "pedprep draw: --copy 12 names two loop-break copies: the one at position 12 (1:12) and "
       "the first copy of animal 12 (position 13, 1:13); give FAMILY:NUMBER\n"},
      {"1:6", 1,
       "pedprep draw: 1:6 names no loop-break copy and no copied animal (pedprep report lists "
       "the copies)\n"},
      {"14", 1, "pedprep draw: no animal 14 and no position 14 (positions are 1..13)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.copy);
    DrawRequest request;
    request.copy = c.copy;
    const Drawn d = Draw(folder, request);
    EXPECT_EQ(d.status, c.status) << d.err;
    EXPECT_NE((c.status == 0 ? d.out : d.err).find(c.shown), std::string::npos) << d.out << d.err;
  }
  // A parent copy: the copies above it beside their originals, the copy it was made for and
  // that copy's other parent.
  DrawRequest parent;
  parent.copy = "9";
  const Drawn d = Draw(LoopFolder(), parent);
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(AnimalsDrawn(d.out), (std::vector<std::string>{"p1", "p8", "p9", "p10"}));
  EXPECT_NE(d.out.find("parent copy 9 (pos 9) of SIRE"), std::string::npos) << d.out;
}

// Every copy that report --csv lists for a shared data set is drawn by its position, each
// mating point of a loop with a child.
TEST(DrawTest, EveryCopyReportListsIsDrawnByItsPosition) {
  const std::filesystem::path data = testing::SharedDataDir() / "eeza-ungulates";
  PEDPREP_NEED_SHARED_DATA(data);
  MemoryFileSystem folder;
  for (const char* name :
       {"PEDIGREE.PRN", "DEF.DAT", "database/pedigree.dat", "database/markers.dat"}) {
    std::ifstream in(data / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    folder.files[name] = text.str();
  }
  std::ostringstream csv, err;
  ASSERT_EQ(WithRunFacts(folder, err,
                         [&](const RunFacts& facts) { return RunReport(facts, true, csv, err); }),
            0)
      << err.str();
  const std::unique_ptr<ObservedRun> run = ObserveRun(folder);
  const RunFacts facts(*run);
  const std::vector<CsvRow> rows = ParseCsv(csv.str(), ',', "report");
  ASSERT_GT(rows.size(), 2000u);
  ASSERT_EQ(rows[0].fields[3], "position");
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const std::vector<std::string>& row = rows[r].fields;
    DrawRequest request;
    request.copy = row[3];
    std::string dot, problem;
    ASSERT_EQ(DrawDot(facts, request, &dot, &problem), 0) << problem << " " << row[3];
    const std::string kind = row[0] == "loop" ? "loop-break copy " : "parent copy ";
    const std::string title = kind + row[2] + " (pos " + row[3] + ")";
    ASSERT_NE(dot.find("family " + row[1] + "\\n"), std::string::npos) << title;
    ASSERT_NE(dot.find(title), std::string::npos) << title;
    // Every mating point shows a child.
    std::istringstream lines(dot);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("  m", 0) != 0 || line.find(" [shape=point") == std::string::npos) continue;
      const std::string mating = line.substr(2, line.find(' ', 2) - 2);
      ASSERT_NE(dot.find("  " + mating + " -> p"), std::string::npos) << title << " " << mating;
    }
  }
}

// Pictures of the shared data sets on A4, from dot's own layout: every box no larger than a
// page is whole on a printed page, no printed page is blank, an ancestor chart of up to five
// generations is one page. Charts draw 4 generations unless told, and give each repeated
// ancestor a colour of its own up to 20.
TEST(DrawTest, SharedPicturesOnPaper) {
  if (RunProcess({"dot", "-V"}, "", 30).end == ProcessResult::End::kNotFound) {
    GTEST_SKIP() << "no dot";
  }
  const Paper a4 = *PaperNamed("a4");
  for (const char* set : {"darwin-wedgwood", "eeza-ungulates", "hinterwald-2000"}) {
    SCOPED_TRACE(set);
    const std::filesystem::path data = testing::SharedDataDir() / set;
    PEDPREP_NEED_SHARED_DATA(data);
    DiskFileSystem folder(data.string());
    const std::unique_ptr<ObservedRun> run = ObserveRun(folder);
    ASSERT_TRUE(run);
    const RunFacts facts(*run);
    std::vector<DrawRequest> requests;
    const FamilyCounts& first = *std::max_element(
        run->families.begin(), run->families.end(),
        [](const FamilyCounts& a, const FamilyCounts& b) { return a.read < b.read; });
    for (int32_t last = first.read; last > first.read - 4 && last > 0; --last) {
      DrawRequest chart;
      chart.ancestors = std::to_string(first.family) + ":" + std::to_string(last);
      chart.up = last % 2 == 0 ? 5 : -1;
      requests.push_back(chart);
    }
    requests.push_back(Family(std::to_string(first.family)));
    if (!run->loop_copies.empty()) {
      DrawRequest copy;
      copy.copy = std::to_string(run->loop_copies.front().copy_position);
      requests.push_back(copy);
    }
    for (const DrawRequest& request : requests) {
      const std::string what = request.ancestors + request.family + request.copy;
      SCOPED_TRACE(what);
      std::string dot, problem;
      if (DrawDot(facts, request, &dot, &problem) != 0) {
        EXPECT_NE(problem.find("--max-animals"), std::string::npos) << problem;
        continue;
      }
      // No title line is wider than 100 characters.
      const std::size_t title = dot.find("label=\"") + 7;
      const std::string title_lines = dot.substr(title, dot.find("\"];", title) - title);
      for (std::size_t at = 0, end = 0; at < title_lines.size(); at = end + 2) {
        end = std::min(title_lines.find("\\n", at), title_lines.size());
        EXPECT_LE(end - at, 100u) << title_lines;
      }
      const ProcessResult laid_out = RunProcess({"dot", "-Tdot"}, dot, 60);
      ASSERT_EQ(laid_out.exit_status, 0) << laid_out.errors;
      const PictureLayout picture = LayoutOfDot(laid_out.output);
      ASSERT_GT(picture.boxes.size(), 2u);
      const PaperLayout paper = LayOutOnPaper(picture, a4);
      std::vector<std::pair<double, double>> tiles;  // left, top of the printed tiles
      for (int r = 0; r < paper.rows; ++r) {
        for (int c = 0; c < paper.columns; ++c) {
          if (paper
                  .page_of[(static_cast<std::size_t>(r) * static_cast<std::size_t>(paper.columns)) +
                           static_cast<std::size_t>(c)] == 0)
            continue;
          tiles.emplace_back(paper.column_starts[static_cast<std::size_t>(c)],
                             paper.row_tops[static_cast<std::size_t>(r)]);
        }
      }
      EXPECT_EQ(static_cast<int>(tiles.size()), paper.pages);
      for (const PictureBox& box : picture.boxes) {
        if (box.right - box.left > paper.tile_width || box.top - box.bottom > paper.tile_height) {
          continue;
        }
        const double slack = 0.01;  // dot rounds its figures
        EXPECT_TRUE(std::any_of(tiles.begin(), tiles.end(),
                                [&](const auto& tile) {
                                  return box.left >= tile.first - slack &&
                                         box.right <= tile.first + paper.tile_width + slack &&
                                         box.top <= tile.second + slack &&
                                         box.bottom >= tile.second - paper.tile_height - slack;
                                }))
            << "a box cut at " << box.left << "," << box.bottom;
      }
      for (const auto& tile : tiles) {
        const double left = tile.first;
        const double top = tile.second;
        EXPECT_TRUE(std::any_of(picture.boxes.begin(), picture.boxes.end(), [&](const auto& box) {
          return box.left <= left + paper.tile_width && box.right >= left && box.bottom <= top &&
                 box.top >= top - paper.tile_height;
        })) << "a page without a box";
      }
      if (request.ancestors.empty()) continue;
      std::set<std::string> slots, colours;
      bool marked = false;
      std::istringstream lines(dot);
      for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  a", 0) != 0 || line.find(" [label=") == std::string::npos) continue;
        slots.insert(line.substr(3, line.find(' ', 2) - 3));
        const std::size_t colour = line.find("color=\"#");
        if (colour != std::string::npos) colours.insert(line.substr(colour, 15));
        marked = marked || line.find(" [R21]") != std::string::npos;
      }
      std::smatch repeated;
      ASSERT_TRUE(std::regex_search(dot, repeated, std::regex("(\\d+) ancestors? met")));
      const std::size_t met = std::stoul(repeated[1]);
      EXPECT_EQ(colours.size(), std::min<std::size_t>(met, 20));
      EXPECT_EQ(marked, met > 20);
      const int up = request.up < 0 ? 4 : request.up;
      EXPECT_NE(dot.find("up to " + std::to_string(up) + " generations"), std::string::npos);
      for (const std::string& slot : slots) EXPECT_LT(std::stoull(slot), 2ULL << up) << slot;
      if (slots.size() <= 63) {
        EXPECT_EQ(paper.pages, 1) << slots.size() << " boxes";
      }
    }
  }
}

// An ancestor chart left to right: slot 2k the sire and 2k+1 the dam of box k, at most
// 2^(N+1)-1 boxes; 7's grandparents' parents are 1 and 2 on three paths each.
TEST(DrawTest, AncestorChartDrawsRepeatedAncestorsAgain) {
  DrawRequest request;
  request.ancestors = "1:7";
  request.up = 3;
  MemoryFileSystem folder = testing::TwoLoopFolder();
  folder.files.erase("ids.csv");
  const Drawn d = Draw(folder, request);
  ASSERT_EQ(d.status, 0) << d.err;
  std::vector<std::string> boxes;
  std::istringstream lines(d.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  a", 0) == 0 && line.find(" [label=") != std::string::npos) {
      boxes.push_back(line.substr(2, line.find('\\') - 2));
    }
  }
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       "a1 [label=\"ini_id 7", "a2 [label=\"ini_id 5", "a3 [label=\"ini_id 6",
                       "a4 [label=\"ini_id 3", "a5 [label=\"ini_id 4", "a6 [label=\"ini_id 1",
                       "a7 [label=\"ini_id 2", "a8 [label=\"ini_id 1", "a9 [label=\"ini_id 2",
                       "a10 [label=\"ini_id 1", "a11 [label=\"ini_id 2"}));
  EXPECT_NE(d.out.find("rankdir=LR"), std::string::npos);
  EXPECT_NE(d.out.find("11 boxes, 2 ancestors met more than once"), std::string::npos);
  EXPECT_NE(d.out.find("  a6 [label=\"ini_id 1\\n1 (pos 1)\", shape=box, penwidth=3, "
                       "color=\"#be0032\"];"),
            std::string::npos)
      << d.out;
  EXPECT_NE(d.out.find("  a8 [label=\"ini_id 1\\n1 (pos 1), repeated\", shape=box, penwidth=3, "
                       "color=\"#be0032\"];"),
            std::string::npos);
  EXPECT_NE(d.out.find("  a4 -> a8 [arrowhead=none];"), std::string::npos);
  request.max_animals = 10;
  EXPECT_EQ(Draw(folder, request).err,
            "pedprep draw: family 1: more than 10 (--max-animals) boxes to draw; draw fewer "
            "generations with smaller --up\n");
}

// What the boxes say: the main breed's share, F, the birth year, ids escaped for DOT.
TEST(DrawTest, LabelsSayBreedInbreedingAndBirth) {
  MemoryFileSystem folder = LoopFolder();
  folder.files["ids.csv"] =
      "ini_id,id,family,individual,added,note,born\r\n1,S1,1,1,,,1990\r\n5,\"C\\5\"\"x\",1,5,,,"
      "\r\n";
  DrawRequest request;
  request.around = "S1";
  request.labels = {"F", "born", "id", "breed"};
  const Drawn d = Draw(folder, request);
  ASSERT_EQ(d.status, 0) << d.err;
  for (const char* box : {"p1 [label=\"F 0\\nborn 1990\\nS1\\nbreed1 100%\\n1 (pos 1)\"",
                          "p3 [label=\"F 0\\nini_id 3\\nbreed1 50%\\n3 (pos 3)\""}) {
    EXPECT_NE(d.out.find(box), std::string::npos) << box << "\n" << d.out;
  }
  request.around = "1:5";
  request.labels = {"id", "F"};
  EXPECT_NE(Draw(folder, request).out.find("p5 [label=\"C\\\\5\\\"x\\nF 0.25\\n5 (pos 5)\""),
            std::string::npos);
  // Fields asked without the id come after it.
  request.labels = {"F", "born"};
  request.around = "S1";
  EXPECT_NE(Draw(folder, request).out.find("p1 [label=\"S1\\nF 0\\nborn 1990\\n1 (pos 1)\""),
            std::string::npos);
}

TEST(DrawTest, DummyLabelAndBreedColours) {
  MemoryFileSystem folder = LoopFolder();
  folder.files["ids.csv"] =
      "ini_id,id,family,individual,added\r\n1,S1,1,1,\r\n2,,1,2,dummy\r\n5,C5,1,5,\r\n";
  DrawRequest request = Family("1");
  request.color_breed = true;
  const Drawn d = Draw(folder, request);
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_NE(d.out.find("p2 [label=\"dummy dam of ini_id 3\\n2 (pos 2)\", shape=ellipse, "
                       "style=\"dotted,filled\", fillcolor=\"#ffffb3\"]"),
            std::string::npos)
      << d.out;
  // 1 is breed 1, 2 breed 2, their children half of each (the first of equal fractions).
  EXPECT_NE(d.out.find("p1 [label=\"S1\\n1 (pos 1)\", shape=box, style=\"filled\", "
                       "fillcolor=\"#8dd3c7\"]"),
            std::string::npos)
      << d.out;
  // A parent copy is filled with its breed's colour, so the legend shows its double border
  // only.
  EXPECT_NE(d.out.find("p9 [label=\"S1\\n9 (pos 9)\", shape=box, style=\"filled\", peripheries=2, "
                       "fillcolor=\"#8dd3c7\"]"),
            std::string::npos)
      << d.out;
  EXPECT_NE(d.out.find("[label=\"parent copy (double border)\", shape=box, peripheries=2];"),
            std::string::npos);
  for (const char* key : {"[label=\"1 breed1\", shape=box, style=filled, fillcolor=\"#8dd3c7\"]",
                          "[label=\"2 breed2\", shape=box, style=filled, fillcolor=\"#ffffb3\"]"}) {
    EXPECT_NE(d.out.find(key), std::string::npos) << key << "\n" << d.out;
  }
}

TEST(DrawTest, OutputsAndRefusals) {
  Drawn d = Draw(LoopFolder(), Family("1", "f.dot"));
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.written.files["f.dot"].rfind("digraph \"pedigree\" {\n", 0), 0u);
  EXPECT_EQ(d.out, "");

  for (const char* format : {"svg", "png", "pdf"}) {
    SCOPED_TRACE(format);
    DrawRequest request = Family("1", std::string("f.") + format);
    request.paper = "letter";
    d = Draw(LoopFolder(), request);
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(d.rendered, std::vector<std::string>{std::string(format) + " 60 letter"});
    EXPECT_EQ(d.written.files[std::string("f.") + format], "IMAGE");
    EXPECT_EQ(d.err, "pedprep draw: dot warns: a warning\n");
  }
  d = Draw(LoopFolder(), Family("1", "f.pdf"));
  EXPECT_EQ(d.rendered, std::vector<std::string>{"pdf 60 a4"});

  d = Draw(LoopFolder(), Family("1", "f.png"), "the Graphviz program dot is not installed");
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.err,
            "pedprep draw: dot warns: a warning\npedprep draw: the Graphviz program dot is not "
            "installed\n");
  EXPECT_TRUE(d.written.files.empty());

  struct Refusal {
    const char* name;
    DrawRequest request;
    int status;
    const char* err;
  };
  DrawRequest unknown;
  unknown.around = "NOBODY";
  DrawRequest not_a_copy;
  not_a_copy.copy = "5";
  DrawRequest small = Family("1");
  small.max_animals = 9;
  DrawRequest small_core = small;
  small_core.core = true;
  small_core.max_animals = 7;
  DrawRequest small_around;
  small_around.around = "1:5";
  small_around.max_animals = 1;
  const std::vector<Refusal> refusals = {
      {"family 0", Family("0"), 1, "pedprep draw: no family 0; families are 1..1\n"},
      {"family x", Family("x"), 1, "pedprep draw: no family x; families are 1..1\n"},
      {"family 2", Family("2"), 1, "pedprep draw: no family 2; families are 1..1\n"},
      {"unknown id", unknown, 1,
       "pedprep draw: no animal NOBODY (a herd-book id of ids.csv or FAMILY:INDIVIDUAL as in "
       "ped.dat)\n"},
      {"not a copy", not_a_copy, 1,
       "pedprep draw: position 5 holds no copy (pedprep report lists the copies)\n"},
      {"too many animals", small, 1,
       "pedprep draw: family 1: 10 animals to draw, more than 9 (--max-animals); draw part of "
       "it with --around ID, --copy POSITION or --core\n"},
      {"too many in the core", small_core, 1,
       "pedprep draw: family 1: 8 animals to draw, more than 7 (--max-animals); draw part of "
       "it with --around ID or --copy POSITION\n"},
      {"too many around", small_around, 1,
       "pedprep draw: family 1: 7 animals to draw, more than 1 (--max-animals); draw part of "
       "it with smaller --up and --down or --copy POSITION\n"},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.name);
    d = Draw(LoopFolder(), r.request);
    EXPECT_EQ(d.status, r.status);
    EXPECT_EQ(d.err, r.err);
    EXPECT_EQ(d.out, "");
  }

  MemoryFileSystem stops = LoopFolder();
  stops.files["PEDIGREE.PRN"] = testing::PassportText(1, 1, {{1, 1, 0, 1, 1, 1, 1}});
  d = Draw(stops, Family("1"));
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.err,
            "pedprep draw: the run stops: a passport error: animal 1 of family 1 (data line 1) "
            "has one parent known and the other unknown; nothing drawn\n");
  EXPECT_EQ(d.out, "");

  MemoryFileSystem missing = LoopFolder();
  missing.files.erase("DEF.DAT");
  d = Draw(missing, Family("1"));
  EXPECT_EQ(d.status, 2);
  EXPECT_EQ(d.err, "INPUT ERROR: open of DEF.DAT: file not found\n");
}

// --compact folds full sibs without offspring into one box.
TEST(DrawTest, CompactFoldsFullSibsWithoutOffspring) {
  MemoryFileSystem folder = LoopFolder();
  folder.files.erase("ids.csv");
  folder.files["PEDIGREE.PRN"] = testing::PassportText(5, 2,
                                                       {{1, 1, 0, 0, 1, 1, 1},
                                                        {1, 2, 0, 0, 2, 2, 2},
                                                        {1, 3, 1, 2, 0, 1, 3},
                                                        {1, 4, 1, 2, 0, 2, 4},
                                                        {1, 5, 1, 2, 0, 2, 5}});
  DrawRequest request = Family("1");
  request.compact = true;
  Drawn d = Draw(folder, request);
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(AnimalsDrawn(d.out), (std::vector<std::string>{"p1", "p2"}));
  EXPECT_NE(d.out.find("  f1_2 [label=\"3 full sibs (1 male, 2 females):\\nini_id 3, ini_id 4, "
                       "ini_id 5\", shape=box3d];\n  m1_2 -> f1_2;"),
            std::string::npos)
      << d.out;
  EXPECT_NE(d.out.find("[label=\"full sibs without offspring drawn\", shape=box3d]"),
            std::string::npos);
  // Around the sire: his mate and their calves, folded.
  request = DrawRequest();
  request.around = "1:1";
  request.compact = true;
  d = Draw(folder, request);
  EXPECT_EQ(AnimalsDrawn(d.out), (std::vector<std::string>{"p1", "p2"}));
  EXPECT_NE(d.out.find("  m1_2 -> f1_2;"), std::string::npos) << d.out;
}

TEST(DrawTest, ARunThatStopsAfterReadingIsDrawnAsRead) {
  // 2 is a mother with the sex code of a male: the passport checks stop the run.
  MemoryFileSystem folder = LoopFolder();
  folder.files["PEDIGREE.PRN"] = testing::PassportText(
      3, 2, {{1, 1, 0, 0, 1, 1, 1}, {1, 2, 0, 0, 2, 1, 2}, {1, 3, 1, 2, 0, 1, 3}});
  const Drawn d = Draw(folder, Family("1"));
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_NE(d.out.find("label=\"., family 1\\n3 animals\\nThe run stops: "), std::string::npos)
      << d.out;
  EXPECT_NE(d.out.find(". This family is drawn as read.\"];\n"), std::string::npos) << d.out;
  EXPECT_EQ(AnimalsDrawn(d.out), (std::vector<std::string>{"p1", "p2", "p3"}));
}

// Labels keep quotes and backslashes escaped and no control reaches dot: C0, DEL and C1 (the
// two UTF-8 bytes of U+009B) become one blank each; other letters stay.
TEST(DotEscaped, QuotesAndControls) {
  EXPECT_EQ(DotEscaped("a\"b\\c\x1B[1m\x7F\xC2\x9B"
                       "2J\xC2\xA0\xC3\xA4"),
            "a\\\"b\\\\c [1m  2J\xC2\xA0\xC3\xA4");
}

}  // namespace
}  // namespace pedprep
