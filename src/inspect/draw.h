// `pedprep draw`: part of the prepared pedigree as a Graphviz DOT graph, from the preparation
// run in memory (nothing is written to the run's folder).
//
// What is drawn (one of):
//   --family N       the whole family N (with --core: only the animals of the nuclear
//                    families that do not peel, the family's loops, and their copies);
//   --around ANIMAL  one animal, its ancestors up to `up` generations and its descendants
//                    down to `down` generations (through the originals of copies), with the
//                    copies of any of them; ANIMAL is a herd-book id of ids.csv or
//                    FAMILY:INDIVIDUAL (the numbers of ped.dat);
//   --copy WHICH     the loop that one loop-break copy breaks: the animals and matings of one
//                    shortest cycle through the copied animal and the mating whose children
//                    received the copy, in the family as it was just before that copy was
//                    made, with the copy beside its original. WHICH is the copy's position
//                    (digits no larger than the number of rows) or the herd-book id of a
//                    copied animal (its first copy).
// When the run stops, the store is drawn as the run left it: the family where it stopped
// with the copies made so far, later families as read; a run that stops while reading the
// passport file has nothing to draw.
//
// The graph (digraph "pedigree", top to bottom):
//   title    graph label: folder, family, what is shown, and that the run stops and why;
//   animal   p<position> [label="<herd-book id | dummy sire/dam of <child> | ini_id N>\n
//            <number> (pos <position>)"], males shape=box, females shape=ellipse; a
//            loop-break copy style=dashed, a parent copy peripheries=2 (and gray85 fill
//            unless coloured), a dummy style=dotted; with breed colours each animal filled
//            with the colour of its largest breed fraction. A copy has a dotted undirected
//            edge to its original.
//   mating   m<father position>_<mother position> [shape=point]: an edge from each drawn
//            parent (no arrowhead) and an edge to each drawn child. A loop picture draws the
//            edge the copy breaks in red, dashed, and the copy's own edge to the mating.
//   legend   subgraph cluster_legend: male, female, mating, loop-break copy, parent copy,
//            dummy, and the breeds with their colours.
#ifndef PEDPREP_INSPECT_DRAW_H_
#define PEDPREP_INSPECT_DRAW_H_

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "records/file_system.h"

namespace pedprep {

struct ObservedRun;

// One step of a loop: an animal (`mating` false: `number`, `ini_id`) or a mating (`father`,
// `mother`, their ini_ids; 0 = unknown). Numbers are the store's.
struct LoopStep {
  bool mating = false;
  int32_t number = 0;
  int32_t ini_id = 0;
  int32_t father = 0;
  int32_t mother = 0;
  int32_t father_ini_id = 0;
  int32_t mother_ini_id = 0;
};

// The loop broken by the loop-break copy at store position `copy_position`, as a closed walk
// that starts at the copied animal and ends at the mating whose children received the copy
// (each step adjacent to the next, the last to the first). Empty, with `problem` set, when
// the position holds no loop-break copy or no such loop is found.
std::vector<LoopStep> BrokenLoop(const ObservedRun& run, int32_t copy_position,
                                 std::string* problem);

// Renders DOT text as an image of `format` ("svg", "png" or "pdf") into `image`. Returns ""
// on success, else the problem in one line.
using DotRenderer = std::function<std::string(const std::string& dot, const std::string& format,
                                              int timeout_seconds, std::string* image)>;

// Runs the Graphviz program `dot` found on PATH, the DOT text on its standard input and the
// image from its standard output (no file is written). `dot` is killed when it runs longer
// than `timeout_seconds` and when pedprep ends.
std::string RenderWithDot(const std::string& dot, const std::string& format, int timeout_seconds,
                          std::string* image);

struct DrawRequest {
  std::string folder_name;  // as the user gave it, for the title ("" = the current folder)
  std::string family;       // --family: a family number as text
  std::string around;       // --around: an animal
  int up = 3;
  int down = 1;
  std::string copy;  // --copy: a position or a herd-book id
  bool core = false;
  bool color_breed = false;
  int max_animals = 300;
  int timeout_seconds = 60;
  std::string output;  // "" = DOT on `out`; *.dot, *.svg, *.png, *.pdf written to `output_folder`
};

// Exit status: 0 drawn; 1 nothing to draw (no such family or animal, a picture larger than
// `max_animals`, a run that stops while reading the passport file, a failed rendering; a line
// on `err`); 2 a file that cannot be read or written.
int RunDraw(FileSystem& folder, const DrawRequest& request, FileSystem& output_folder,
            const DotRenderer& render, std::ostream& out, std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_DRAW_H_
