#include "inspect/draw.h"

#include <gtest/gtest.h>

#include <sstream>

#include "testing/run_folder.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

// Full sibs 3 and 4 mate (a loop: 4 is copied as 8 for their child 5); 5 and the founder 6
// have 7, who hangs off the loop. Identifier 4 has nation code 9, so the reconstruction
// gives the copy the parent copies 9 (of 1) and 10 (of 2).
MemoryFileSystem LoopFolder() {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  folder.files["PEDIGREE.PRN"] = testing::PassportText(7, 2,
                                                       {{1, 1, 0, 0, 1, 1, 1},
                                                        {1, 2, 0, 0, 2, 2, 2},
                                                        {1, 3, 1, 2, 0, 1, 3},
                                                        {1, 4, 1, 2, 0, 2, 4},
                                                        {1, 5, 3, 4, 0, 1, 5},
                                                        {1, 6, 0, 0, 1, 2, 6},
                                                        {1, 7, 5, 6, 0, 2, 7}});
  std::string database = "    7\r\n";
  for (int id = 1; id <= 7; ++id) {
    database +=
        "    " + std::to_string(id) + "    0    0    1    " + (id == 4 ? "9" : "1") + "    1\r\n";
  }
  folder.files["database/pedigree.dat"] = database;
  folder.files["ids.csv"] = "ini_id,id,family,individual,added\r\n1,\"SIRE \"\"A\"\"\",1,1,0\r\n";
  return folder;
}

const std::string kHead =
    "digraph \"family_1\" {\n"
    "  graph [rankdir=TB];\n"
    "  node [fontname=\"Helvetica\", fontsize=10];\n"
    "  edge [arrowsize=0.6];\n";

struct Drawn {
  int status = 0;
  std::string out, err;
  MemoryFileSystem written;
  std::vector<std::string> rendered;  // format and path of each rendering
};

Drawn Draw(MemoryFileSystem folder, DrawRequest request, const std::string& render_problem = "") {
  Drawn d;
  std::ostringstream out, err;
  auto render = [&d, &render_problem](const std::string&, const std::string& format,
                                      const std::string& path) {
    d.rendered.push_back(format + " " + path);
    return render_problem;
  };
  d.status = RunDraw(folder, request, d.written, render, out, err);
  d.out = out.str();
  d.err = err.str();
  return d;
}

TEST(DrawTest, FamilyWithOneLoopBreakNodeByNode) {
  const Drawn d = Draw(LoopFolder(), {1, false, ""});
  ASSERT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.out, kHead +
                       "  n1 [label=\"SIRE \\\"A\\\"\\n1\", shape=box];\n"
                       "  n2 [label=\"ini_id 2\\n2\", shape=ellipse];\n"
                       "  n3 [label=\"ini_id 3\\n3\", shape=box];\n"
                       "  n4 [label=\"ini_id 4\\n4\", shape=ellipse];\n"
                       "  n5 [label=\"ini_id 5\\n5\", shape=box];\n"
                       "  n6 [label=\"ini_id 6\\n6\", shape=ellipse];\n"
                       "  n7 [label=\"ini_id 7\\n7\", shape=ellipse];\n"
                       "  n8 [label=\"ini_id 4\\n8\", shape=ellipse, style=dashed];\n"
                       "  n9 [label=\"SIRE \\\"A\\\"\\n9\", shape=box, style=filled, "
                       "fillcolor=gray85];\n"
                       "  n10 [label=\"ini_id 2\\n10\", shape=ellipse, style=filled, "
                       "fillcolor=gray85];\n"
                       "  m1_2 [shape=point, width=0.06];\n"
                       "  n1 -> m1_2 [arrowhead=none];\n"
                       "  n2 -> m1_2 [arrowhead=none];\n"
                       "  m1_2 -> n3;\n"
                       "  m1_2 -> n4;\n"
                       "  m3_8 [shape=point, width=0.06];\n"
                       "  n3 -> m3_8 [arrowhead=none];\n"
                       "  n8 -> m3_8 [arrowhead=none];\n"
                       "  m3_8 -> n5;\n"
                       "  m5_6 [shape=point, width=0.06];\n"
                       "  n5 -> m5_6 [arrowhead=none];\n"
                       "  n6 -> m5_6 [arrowhead=none];\n"
                       "  m5_6 -> n7;\n"
                       "  m9_10 [shape=point, width=0.06];\n"
                       "  n9 -> m9_10 [arrowhead=none];\n"
                       "  n10 -> m9_10 [arrowhead=none];\n"
                       "  m9_10 -> n8;\n"
                       "  n8 -> n4 [style=dotted, arrowhead=none, constraint=false];\n"
                       "}\n");
  EXPECT_EQ(d.err, "");
}

TEST(DrawTest, CoreKeepsTheLoopAndItsCopies) {
  const Drawn d = Draw(LoopFolder(), {1, true, ""});
  ASSERT_EQ(d.status, 0) << d.err;
  // 6 and 7 peel off; the copies 8, 9 and 10 stay with their originals 4, 1 and 2.
  EXPECT_EQ(d.out.find("n6 "), std::string::npos) << d.out;
  EXPECT_EQ(d.out.find("n7 "), std::string::npos) << d.out;
  EXPECT_EQ(d.out.find("m5_6"), std::string::npos) << d.out;
  for (const char* kept : {"  n1 [", "  n5 [", "  n8 [", "  n9 [", "  n10 [", "m3_8 -> n5;"}) {
    EXPECT_NE(d.out.find(kept), std::string::npos) << kept << "\n" << d.out;
  }
}

TEST(DrawTest, OutputsAndRefusals) {
  Drawn d = Draw(LoopFolder(), {1, false, "f.dot"});
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.written.files["f.dot"].rfind(kHead, 0), 0u);
  EXPECT_EQ(d.out, "");

  d = Draw(LoopFolder(), {1, false, "f.svg"});
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.rendered, std::vector<std::string>{"svg f.svg"});

  d = Draw(LoopFolder(), {1, false, "f.png"}, "the Graphviz program dot is not installed");
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.err, "pedprep draw: the Graphviz program dot is not installed\n");

  d = Draw(LoopFolder(), {2, false, ""});
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.err, "pedprep draw: no family 2 (the run has families 1 to 1)\n");

  MemoryFileSystem stops = LoopFolder();
  stops.files["PEDIGREE.PRN"] = testing::PassportText(1, 1, {{1, 1, 0, 1, 1, 1, 1}});
  d = Draw(stops, {1, false, ""});
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.err,
            "pedprep draw: the run stops: a passport error: animal 1 of family 1 (data line 1) "
            "has one parent known and the other unknown; nothing drawn\n");
  EXPECT_EQ(d.out, "");

  MemoryFileSystem missing = LoopFolder();
  missing.files.erase("DEF.DAT");
  d = Draw(missing, {1, false, ""});
  EXPECT_EQ(d.status, 2);
  EXPECT_EQ(d.err, "INPUT ERROR: open of DEF.DAT: file not found\n");
}

}  // namespace
}  // namespace pedprep
