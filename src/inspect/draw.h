// `pedprep draw`: one family of the prepared pedigree as a Graphviz DOT graph, from the
// preparation run in memory (nothing is written to the run's folder).
//
// The graph (digraph "family_N", top to bottom), nodes in position order:
//   animal   n<number> [label="<herd-book id, else ini_id N>\n<number>"], males
//            shape=box, females shape=ellipse; a loop-break copy style=dashed with a dotted
//            undirected edge to its original; a parent copy style=filled, fillcolor=gray85.
//   mating   m<father>_<mother> [shape=point]: an edge from each known parent (no arrowhead)
//            and an edge to each child.
// Numbers are those of ped.dat. With `core`, only the animals of the nuclear families that
// the peeling cannot remove before the loop breaking (the family's loops), and their copies.
#ifndef PEDPREP_INSPECT_DRAW_H_
#define PEDPREP_INSPECT_DRAW_H_

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "records/file_system.h"

namespace pedprep {

struct ObservedRun;

// DOT text of family number `family` of a finished run; "" when the run has no such family.
std::string FamilyDot(const ObservedRun& run, int32_t family, bool core);

// Turns DOT text into an image of `format` ("svg" or "png") at `path`, complete or not at
// all. Returns "" on success, else the problem in one line.
using DotRenderer = std::function<std::string(const std::string& dot, const std::string& format,
                                              const std::string& path)>;

// Runs the Graphviz program `dot` found on PATH: renders to a temporary beside `path`, then
// renames it into place.
std::string RenderWithDot(const std::string& dot, const std::string& format,
                          const std::string& path);

struct DrawRequest {
  int32_t family = 0;
  bool core = false;
  std::string output;  // "" = DOT on `out`; *.dot written to `output_folder`; *.svg, *.png rendered
};

// Exit status: 0 drawn; 1 no such family, a run that stops, a failed rendering (a line on
// `err`); 2 a file that cannot be read or written.
int RunDraw(FileSystem& folder, const DrawRequest& request, FileSystem& output_folder,
            const DotRenderer& render, std::ostream& out, std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_DRAW_H_
