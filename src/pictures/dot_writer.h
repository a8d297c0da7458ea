// The DOT text of a picture of one family (digraph "pedigree", top to bottom):
//   title    graph label: its lines joined by "\n", a line of more than 100 characters
//            broken at its last blank before the 101st;
//   animal   p<position> [label="<herd-book id | dummy sire/dam of <child> | ini_id N>\n
//            <number> (pos <position>)"], males shape=box, females shape=ellipse; a
//            loop-break copy style=dashed, a parent copy peripheries=2 (and gray85 fill
//            unless coloured), a dummy style=dotted; with breed colours each animal filled
//            with the colour of its largest breed fraction. A copy has a dotted undirected
//            edge to its original.
//   mating   m<father position>_<mother position> [shape=point]: an edge from each drawn
//            parent (no arrowhead) and an edge to each drawn child.
//   folded   (--compact) f<father position>_<mother position> [shape=box3d]: full sibs
//            without offspring drawn, one box, an edge from their mating.
//   legend   subgraph cluster_legend: male, female, mating, loop-break copy, parent copy,
//            dummy, folded full sibs when drawn (a chart: male, female, repeated ancestor),
//            and the breeds with their colours; a part of its own packed below the
//            picture (pack=true), so no line crosses it.
//   chart    (an ancestor chart, left to right, boxes close together) a<slot> [label=...]
//            for each box, slot 1 the animal, 2k the sire and 2k+1 the dam of box k; males
//            boxes, females rounded boxes; an edge from each box to its parents' boxes (no
//            arrowhead); an ancestor in more than one box has a thick border in a colour of
//            its own (20 colours; the 21st and later black, " [R<n>]" after the number) and,
//            after its first box, ", repeated" after its number.
// Labels: the lines `LabelFacts::items` ask for (the id, the main breed and its share, F,
// the birth year), then "<number> (pos <position>)".
// Text from the files (ids, breed names) is escaped for a quoted DOT string.
#ifndef PEDPREP_PICTURES_DOT_WRITER_H_
#define PEDPREP_PICTURES_DOT_WRITER_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pictures/loop_finder.h"
#include "reading/family_view.h"

namespace pedprep {

struct ObservedRun;

// What the boxes say, by the number of an animal read (a copy shows its original's).
struct LabelFacts {
  std::vector<std::string> items = {"id"};  // "id", "breed", "F", "born" in the order shown
  std::map<int32_t, std::string> breed;     // the main breed and its share: "Angus 75%"
  std::map<int32_t, double> inbreeding;
  std::map<int32_t, std::string> born;  // the birth year
};

// Text for a quoted DOT string: quotes and backslashes escaped, control bytes as blanks.
std::string DotEscaped(const std::string& text);

class DotWriter {
 public:
  // `run` and `view` must outlive the writer.
  DotWriter(const ObservedRun& run, const FamilyView& view, bool color_breed, LabelFacts facts = {})
      : run_(run), view_(view), color_breed_(color_breed), facts_(std::move(facts)) {}

  static std::string Name(const Node& node) { return "p" + std::to_string(node.position); }
  std::string MatingName(int32_t father, int32_t mother) const;

  // The herd-book id; for a dummy whose dummy sire or dam it is; else "ini_id N".
  std::string Text(const Node& node) const;
  bool IsDummy(const Node& node) const;

  // Opens the graph (top to bottom, or left to right); `title`'s lines (ended by '\n')
  // become the label's lines.
  void Head(const std::string& title, bool left_to_right = false);
  void Animal(const Node& node);
  void Mating(int32_t father, int32_t mother);
  // `extra`: attributes after arrowhead=none, each starting ", ".
  void ParentEdge(const Node& parent, int32_t father, int32_t mother,
                  const std::string& extra = "");
  void ChildEdge(int32_t father, int32_t mother, const Node& child);
  void CopyEdge(const Node& copy, const Node& original);
  // A box of an ancestor chart; `repeat` > 0 numbers an ancestor met more than once (its
  // colour), `again` marks its boxes after the first.
  void ChartBox(const Node& node, uint64_t slot, int repeat, bool again);
  void ChartEdge(uint64_t child_slot, uint64_t parent_slot);
  // "+N sibs" below a mating: its children not drawn.
  void Siblings(int32_t father, int32_t mother, std::size_t count);
  // One box for full sibs `sibs` (two or more) of a mating: "N full sibs (M males, F
  // females):" and their ids, three to a line.
  void FoldedSibs(int32_t father, int32_t mother, const std::vector<const Node*>& sibs);
  // Adds the legend (the breeds drawn named from `breed_names`) and closes the graph.
  std::string Finish(const std::map<int, std::string>& breed_names);

 private:
  std::string Style(NodeKind kind, bool dummy, int breed) const;
  // The label's text (escaped) for `node`.
  std::string Label(const Node& node) const;

  const ObservedRun& run_;
  const FamilyView& view_;
  bool color_breed_ = false;
  LabelFacts facts_;
  bool chart_ = false;    // an ancestor chart: no matings, no copies
  bool repeats_ = false;  // the chart has a repeated ancestor
  bool folded_ = false;   // full sibs are folded into one box
  std::set<int> breeds_;
  std::string dot_;
};

// The animals `kept` of the family with the matings of their drawn children; `as_read`
// joins each child to the originals of its parents (for a picture without copies). With
// `compact` the children of a mating that have no child drawn, no copy drawn and are not
// `center` are one box when there are two or more.
void DrawKept(DotWriter& writer, const FamilyView& view, const std::set<int32_t>& kept,
              bool as_read, bool compact = false, int32_t center = 0);

// An ancestor chart of `boxes` (AncestorChart's).
void DrawChart(DotWriter& writer, const FamilyView& view, const std::vector<ChartBox>& boxes);

// The loop `steps` of loop-break copy `copy`: the copy joined to the mating that received it,
// the edge it breaks red and dashed ("broken" at its tail), the children it was given to, and at
// each other mating point one child (the first) with "+N sibs" for its other children.
void DrawLoop(DotWriter& writer, const FamilyView& view, const std::vector<LoopStep>& steps,
              const Node& copy);

}  // namespace pedprep

#endif  // PEDPREP_PICTURES_DOT_WRITER_H_
