// `pedprep draw`: part of the prepared pedigree as a Graphviz DOT graph, from the preparation
// run in memory (nothing is written to the run's folder).
//
// What is drawn (one of):
//   --family N       the whole family N (with --core: only the animals of the nuclear
//                    families that do not peel, the family's loops, and their copies);
//   --around ANIMAL  one animal, its ancestors up to `up` generations and its descendants
//                    down to `down` generations, as read: each animal once, no copies (with
//                    `with_copies`: through the originals of copies, with the copies of any
//                    of them); ANIMAL is a herd-book id of ids.csv or FAMILY:INDIVIDUAL (the
//                    numbers of ped.dat);
//   --ancestors ANIMAL  an ancestor chart, left to right: the animal, then in each
//                    generation up to `up` the sire above the dam, one box per place an
//                    ancestor holds (an ancestor met again is drawn again, marked repeated);
//   --copy WHICH     the loop that one loop-break copy breaks (pictures/loop_finder.h), with
//                    the copy beside its original. WHICH is what report prints of a copy: its
//                    position, FAMILY:NUMBER, or the herd-book id of a copied animal (its
//                    first copy). Digits name the position when it holds a loop-break copy,
//                    else the id; when both name different copies the request is refused.
//                    A parent copy's position draws the copy, the copies above it beside
//                    their originals, and the animals it was made for.
// When the run stops, the store is drawn as the run left it: the family where it stopped
// with the copies made so far, later families as read; a run that stops while reading the
// passport file has nothing to draw. The DOT text is described in pictures/dot_writer.h.
#ifndef PEDPREP_PICTURES_DRAW_H_
#define PEDPREP_PICTURES_DRAW_H_

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "pictures/dot_rendering.h"
#include "pictures/loop_finder.h"
#include "records/file_system.h"

namespace pedprep {

struct DrawRequest {
  std::string folder_name;  // as the user gave it, for the title ("" = the current folder)
  std::string family;       // --family: a family number as text
  std::string around;       // --around: an animal
  std::string ancestors;    // --ancestors: an animal
  int up = -1;              // generations up; -1: 3 for --around, 4 for --ancestors
  int down = 1;
  bool with_copies = false;  // --around: also the copies of the animals drawn
  std::string copy;          // --copy: a position, FAMILY:NUMBER or a herd-book id
  bool core = false;
  bool compact = false;  // full sibs without offspring drawn folded into one box
  bool color_breed = false;
  std::vector<std::string> labels;  // what the boxes say (id, breed, F, born); empty: id
  int max_animals = 300;
  int timeout_seconds = 60;
  std::string output;  // "" = DOT on `out`; *.dot, *.svg, *.png, *.pdf written to `output_folder`
  std::string paper;   // a PDF's paper: a4 (""), a3 or letter
};

class RunFacts;

// The DOT text of what `request` names (its `output` aside) from the run of `facts`, the
// breeds named (legend, labels) only when the request colours or labels by breed. Returns the
// exit status of RunDraw; when not 0, `problem` says why in one line.
int DrawDot(const RunFacts& facts, const DrawRequest& request, std::string* dot,
            std::string* problem);

// Draws what `request` names; exactly one of family, around and copy is set (the command
// line checks that). Exit status: 0 drawn; 1 nothing to draw (no such family or animal, a
// picture larger than `max_animals`, a run that stops while reading the passport file, a
// failed rendering; a line on `err`); 2 a file that cannot be read or written; 64 a --copy
// whose digits name one copy as a position and another as a herd-book id.
int RunDraw(FileSystem& folder, const DrawRequest& request, FileSystem& output_folder,
            const DotRenderer& render, std::ostream& out, std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_PICTURES_DRAW_H_
