#include "inspect/draw.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "inspect/observed_run.h"
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
  auto render = [&d, &render_problem](const std::string&, const std::string& format,
                                      int timeout_seconds, std::string* image) {
    d.rendered.push_back(format + " " + std::to_string(timeout_seconds));
    *image = "IMAGE";
    return render_problem;
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
  DrawRequest copy;
  copy.copy = "8";
  const std::vector<Case> cases = {
      // 6 and 7 peel off; the copies 8, 9 and 10 stay with their originals 4, 1 and 2.
      {"core",
       core,
       {"p1", "p2", "p3", "p4", "p5", "p8", "p9", "p10"},
       "family 1\\nthe animals of its loops and their copies, 8 animals"},
      {"around a founder",
       around,
       {"p1", "p3", "p4", "p8", "p9"},
       "family 1\\nSIRE \\\"A\\\" with ancestors up to 3 generations and descendants down to 1 "
       "generation, and their copies"},
      // The parents of 5 through the copy 8 (its original 4), and the copy itself.
      {"around 1:5", around_five, {"p3", "p4", "p5", "p8"}, "ancestors up to 1 generation"},
      // The full-sib loop 4 - m1_2 - 3 - m3_4, the copy beside 4, the child 5 it went to.
      {"copy",
       copy,
       {"p4", "p3", "p8", "p5"},
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
        "  m3_4 -> p5;", "  p8 -> p4 [style=dotted"}) {
    EXPECT_NE(dot.find(edge), std::string::npos) << edge << "\n" << dot;
  }
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
  for (const char* key : {"[label=\"breed 1\", shape=box, style=filled, fillcolor=\"#8dd3c7\"]",
                          "[label=\"breed 2\", shape=box, style=filled, fillcolor=\"#ffffb3\"]"}) {
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
    d = Draw(LoopFolder(), Family("1", std::string("f.") + format));
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(d.rendered, std::vector<std::string>{std::string(format) + " 60"});
    EXPECT_EQ(d.written.files[std::string("f.") + format], "IMAGE");
  }

  d = Draw(LoopFolder(), Family("1", "f.png"), "the Graphviz program dot is not installed");
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.err, "pedprep draw: the Graphviz program dot is not installed\n");
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
       "pedprep draw: position 5 holds no loop-break copy (pedprep report lists the copies)\n"},
      {"too many animals", small, 1,
       "pedprep draw: family 1: 10 animals to draw, more than 9 (--max-animals); draw part of "
       "it with --around ID, --copy POSITION or --core\n"},
      {"too many in the core", small_core, 1,
       "pedprep draw: family 1: 8 animals to draw, more than 7 (--max-animals); draw part of "
       "it with --around ID or --copy POSITION\n"},
      {"too many around", small_around, 1,
       "pedprep draw: family 1: 9 animals to draw, more than 1 (--max-animals); draw part of "
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

}  // namespace
}  // namespace pedprep
