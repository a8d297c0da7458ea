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
//   --copy WHICH     the loop that one loop-break copy breaks (inspect/loop_finder.h), with
//                    the copy beside its original. WHICH is what report prints of a copy: its
//                    position, FAMILY:NUMBER, or the herd-book id of a copied animal (its
//                    first copy). Digits name the position when it holds a loop-break copy,
//                    else the id; when both name different copies the request is refused.
// When the run stops, the store is drawn as the run left it: the family where it stopped
// with the copies made so far, later families as read; a run that stops while reading the
// passport file has nothing to draw. The DOT text is described in inspect/dot_writer.h.
#ifndef PEDPREP_INSPECT_DRAW_H_
#define PEDPREP_INSPECT_DRAW_H_

#include <ostream>
#include <string>

#include "inspect/dot_rendering.h"
#include "inspect/loop_finder.h"
#include "records/file_system.h"

namespace pedprep {

struct DrawRequest {
  std::string folder_name;  // as the user gave it, for the title ("" = the current folder)
  std::string family;       // --family: a family number as text
  std::string around;       // --around: an animal
  int up = 3;
  int down = 1;
  std::string copy;  // --copy: a position, FAMILY:NUMBER or a herd-book id
  bool core = false;
  bool color_breed = false;
  int max_animals = 300;
  int timeout_seconds = 60;
  std::string output;  // "" = DOT on `out`; *.dot, *.svg, *.png, *.pdf written to `output_folder`
};

// Draws what `request` names; exactly one of family, around and copy is set (the command
// line checks that). Exit status: 0 drawn; 1 nothing to draw (no such family or animal, a
// picture larger than `max_animals`, a run that stops while reading the passport file, a
// failed rendering; a line on `err`); 2 a file that cannot be read or written; 64 a --copy
// whose digits name one copy as a position and another as a herd-book id.
int RunDraw(FileSystem& folder, const DrawRequest& request, FileSystem& output_folder,
            const DotRenderer& render, std::ostream& out, std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_DRAW_H_
