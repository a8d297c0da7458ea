// The DOT text of a picture of one family (digraph "pedigree", top to bottom):
//   title    graph label: its lines joined by "\n";
//   animal   p<position> [label="<herd-book id | dummy sire/dam of <child> | ini_id N>\n
//            <number> (pos <position>)"], males shape=box, females shape=ellipse; a
//            loop-break copy style=dashed, a parent copy peripheries=2 (and gray85 fill
//            unless coloured), a dummy style=dotted; with breed colours each animal filled
//            with the colour of its largest breed fraction. A copy has a dotted undirected
//            edge to its original.
//   mating   m<father position>_<mother position> [shape=point]: an edge from each drawn
//            parent (no arrowhead) and an edge to each drawn child.
//   legend   subgraph cluster_legend: male, female, mating, loop-break copy, parent copy,
//            dummy, and the breeds with their colours.
// Text from the files (ids, breed names) is escaped for a quoted DOT string.
#ifndef PEDPREP_INSPECT_DOT_WRITER_H_
#define PEDPREP_INSPECT_DOT_WRITER_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "inspect/family_view.h"
#include "inspect/loop_finder.h"

namespace pedprep {

struct ObservedRun;

// Text for a quoted DOT string: quotes and backslashes escaped, control bytes as blanks.
std::string DotEscaped(const std::string& text);

class DotWriter {
 public:
  // `run` and `view` must outlive the writer.
  DotWriter(const ObservedRun& run, const FamilyView& view, bool color_breed)
      : run_(run), view_(view), color_breed_(color_breed) {}

  static std::string Name(const Node& node) { return "p" + std::to_string(node.position); }
  std::string MatingName(int32_t father, int32_t mother) const;

  // The herd-book id; for a dummy whose dummy sire or dam it is; else "ini_id N".
  std::string Text(const Node& node) const;
  bool IsDummy(const Node& node) const;

  // Opens the graph; `title`'s lines (ended by '\n') become the label's lines.
  void Head(const std::string& title);
  void Animal(const Node& node);
  void Mating(int32_t father, int32_t mother);
  // `extra`: attributes after arrowhead=none, each starting ", ".
  void ParentEdge(const Node& parent, int32_t father, int32_t mother,
                  const std::string& extra = "");
  void ChildEdge(int32_t father, int32_t mother, const Node& child);
  void CopyEdge(const Node& copy, const Node& original);
  // Adds the legend (the breeds drawn named from `breed_names`) and closes the graph.
  std::string Finish(const std::map<int, std::string>& breed_names);

 private:
  std::string Style(NodeKind kind, bool dummy, int breed) const;

  const ObservedRun& run_;
  const FamilyView& view_;
  bool color_breed_ = false;
  std::set<int> breeds_;
  std::string dot_;
};

// The animals `kept` of the family with the matings of their drawn children.
void DrawKept(DotWriter& writer, const FamilyView& view, const std::set<int32_t>& kept);

// The loop `steps` of loop-break copy `copy`: the copy joined to the mating that received it,
// the edge it breaks red and dashed (xlabel "broken"), the children it was given to.
void DrawLoop(DotWriter& writer, const FamilyView& view, const std::vector<LoopStep>& steps,
              const Node& copy);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_DOT_WRITER_H_
