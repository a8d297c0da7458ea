#include "inspect/draw.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <vector>

#include "core/exit_status.h"
#include "core/run_files.h"
#include "driver/run_driver.h"
#include "inspect/observed_run.h"
#include "inspect/report.h"
#include "records/escape.h"
#include "records/input_error.h"
#include "records/input_folder.h"
#include "records/layout.h"
#include "records/text_reader.h"
#include "structure/family_graph.h"
#include "structure/peeling.h"

namespace pedprep {
namespace {

enum class Kind { kAnimal, kLoopCopy, kParentCopy };

struct Node {
  int32_t position = 0;
  int32_t number = 0;
  int32_t father = 0;  // numbers; 0 = unknown
  int32_t mother = 0;
  int32_t ini_id = 0;
  int sex = 0;
  Kind kind = Kind::kAnimal;
  int32_t original = 0;  // a copy's original (a number of the family)
  int breed = 0;         // breed of the largest fraction, 0 = none
};

// One family of the store as the run left it.
struct FamilyView {
  int32_t family = 0;
  std::vector<Node> nodes;                  // in position order
  std::map<int32_t, std::size_t> index_of;  // number -> its first node
  // The loop-break copies (node indexes) in the order made, and the mating whose children
  // received each (numbers; 0 = unknown).
  std::vector<std::size_t> loop_copies;
  std::vector<std::pair<int32_t, int32_t>> copy_matings;

  const Node* Find(int32_t number) const {
    auto it = index_of.find(number);
    return it == index_of.end() ? nullptr : &nodes[it->second];
  }
  // The animal read that `number` stands for, following copies of copies.
  int32_t Original(int32_t number) const {
    for (std::size_t guard = 0; guard <= nodes.size(); ++guard) {
      const Node* node = Find(number);
      if (node == nullptr || node->kind == Kind::kAnimal) break;
      number = node->original;
    }
    return number;
  }
};

// Where in the run a stop happened, for what the store holds.
enum class StopStage { kNone, kReading, kAsRead, kStructure, kAfterStructure };

StopStage StageOf(const ObservedRun& run) {
  if (run.status == kExitSuccess) return StopStage::kNone;
  if (!run.stop) return StopStage::kReading;
  switch (run.stop->kind) {
    case StopKind::kPassportErrors:
    case StopKind::kUnresolvedBlood:
      return StopStage::kAsRead;
    case StopKind::kQueueOverflow:
    case StopKind::kSearchExhausted:
    case StopKind::kNoLoopAtParent:
    case StopKind::kBackLinkExhausted:
    case StopKind::kIndividualNotFound:
    case StopKind::kLoopCopyRows:
    case StopKind::kLoopCopyLimit:
    case StopKind::kCrossOverflow:
    case StopKind::kIncorrectMode:
    case StopKind::kNothingToDo:
      return StopStage::kStructure;
    case StopKind::kParentCopyRows:
    case StopKind::kNoCopySource:
    case StopKind::kMarkerDefinition:
      return StopStage::kAfterStructure;
    default:
      return StopStage::kReading;
  }
}

// Text for a quoted DOT string: quotes and backslashes escaped, control bytes as blanks.
std::string Escaped(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '"' || c == '\\') escaped += '\\';
    escaped += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  return escaped;
}

bool ParseInt(const std::string& text, int32_t* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

int LargestBreed(const PedigreeStore& st, int p) {
  int breed = 0;
  double largest = 0;
  for (int k = 1; k <= std::min(st.NRAC, kMaxBreeds); ++k) {
    if (st.PRACE[p][k] > largest) {
      largest = st.PRACE[p][k];
      breed = k;
    }
  }
  return breed;
}

// The family index s of INS that holds family number `family`; 0 = none.
int FamilyIndex(const PedigreeStore& st, int32_t family) {
  for (int s = 1; s <= st.NumFamilies(); ++s) {
    if (st.MAS0[st.FamilyFirst(s)] == family) return s;
  }
  return 0;
}

// The family index s that holds store position `position`; 0 = none.
int FamilyOfPosition(const PedigreeStore& st, int32_t position) {
  for (int s = 1; s <= st.NumFamilies(); ++s) {
    if (position >= st.FamilyFirst(s) && position <= st.FamilyLast(s)) return s;
  }
  return 0;
}

FamilyView BuildFamily(const ObservedRun& run, int s) {
  const PedigreeStore& st = run.run->store;
  FamilyView view;
  view.family = st.MAS0[st.FamilyFirst(s)];
  for (int p = st.FamilyFirst(s); p <= st.FamilyLast(s); ++p) {
    view.index_of.emplace(st.MAS[p][1], view.nodes.size());
    view.nodes.push_back({p, st.MAS[p][1], st.MAS[p][2], st.MAS[p][3], st.INI_ID[p], st.MAS1[p][2],
                          Kind::kAnimal, 0, LargestBreed(st, p)});
  }
  auto mark = [&view](int32_t copy, Kind kind, int32_t original) -> bool {
    auto it = view.index_of.find(copy);
    if (it == view.index_of.end() || view.nodes[it->second].kind != Kind::kAnimal) return false;
    view.nodes[it->second].kind = kind;
    view.nodes[it->second].original = original;
    return true;
  };
  for (const ParentCopy& c : run.parent_copies) {
    if (c.family == view.family) mark(c.copy, Kind::kParentCopy, c.original);
  }
  if (StageOf(run) != StopStage::kAfterStructure) {
    // The copies carry the store's numbers: ped.dat's, or the analysis' when it stopped.
    for (const LoopCopy& c : run.loop_copies) {
      if (c.family != view.family || !mark(c.copy, Kind::kLoopCopy, c.original)) continue;
      view.loop_copies.push_back(view.index_of[c.copy]);
      view.copy_matings.emplace_back(c.father, c.mother);
    }
    return view;
  }
  // Renumbered after the analysis stopped: a later holder of an ini_id is a copy of the
  // first.
  std::map<int32_t, int32_t> first_of;
  for (std::size_t k = 0; k < view.nodes.size(); ++k) {
    Node& node = view.nodes[k];
    if (node.kind != Kind::kAnimal) continue;
    auto [it, fresh] = first_of.emplace(node.ini_id, node.number);
    if (fresh) continue;
    node.kind = Kind::kLoopCopy;
    node.original = it->second;
    view.loop_copies.push_back(k);
    view.copy_matings.emplace_back(0, 0);
  }
  return view;
}

// Numbers of the animals in the nuclear families that do not peel in the family as the
// passport gave it (every copy replaced by its original), and their copies.
std::set<int32_t> LoopCore(const FamilyView& view) {
  std::vector<FamilyMember> members;
  for (std::size_t k = 0; k < view.nodes.size(); ++k) {
    const Node& node = view.nodes[k];
    if (node.kind != Kind::kAnimal) continue;
    members.push_back({node.number, view.Original(node.father), view.Original(node.mother),
                       static_cast<int32_t>(members.size() + 1)});
  }
  FamilyGraph graph;
  graph.Build(members);
  Peeling peeling;
  peeling.Reset(graph);
  std::set<int32_t> core;
  for (int32_t k = 1; k <= graph.NPR1(); ++k) {
    if (peeling.Peeled(k)) continue;
    for (int32_t slot = graph.FatherSlot(k); slot <= graph.LastSlot(k); ++slot) {
      if (graph.SlotValue(slot) != 0) core.insert(graph.SlotValue(slot));
    }
  }
  for (const Node& node : view.nodes) {
    if (node.kind != Kind::kAnimal && core.count(view.Original(node.number)) != 0) {
      core.insert(node.number);
    }
  }
  return core;
}

// The animal `number`, its ancestors up to `up` generations and descendants down to `down`
// (through the originals of copies), and the copies of any of them.
std::set<int32_t> Around(const FamilyView& view, int32_t number, int up, int down) {
  std::map<int32_t, std::vector<int32_t>> children;
  for (const Node& node : view.nodes) {
    if (node.kind != Kind::kAnimal) continue;
    for (int32_t parent : {view.Original(node.father), view.Original(node.mother)}) {
      if (parent != 0) children[parent].push_back(node.number);
    }
  }
  std::set<int32_t> kept = {number};
  std::vector<int32_t> generation = {number};
  for (int g = 0; g < up && !generation.empty(); ++g) {
    std::vector<int32_t> next;
    for (int32_t n : generation) {
      const Node* node = view.Find(n);
      for (int32_t parent : {view.Original(node->father), view.Original(node->mother)}) {
        if (parent != 0 && view.Find(parent) != nullptr && kept.insert(parent).second) {
          next.push_back(parent);
        }
      }
    }
    generation = std::move(next);
  }
  generation = {number};
  for (int g = 0; g < down && !generation.empty(); ++g) {
    std::vector<int32_t> next;
    for (int32_t n : generation) {
      for (int32_t child : children[n]) {
        if (kept.insert(child).second) next.push_back(child);
      }
    }
    generation = std::move(next);
  }
  for (const Node& node : view.nodes) {
    if (node.kind != Kind::kAnimal && kept.count(view.Original(node.number)) != 0) {
      kept.insert(node.number);
    }
  }
  return kept;
}

// The loop broken by loop-break copy `which` (an index of view.loop_copies), in the family
// as it was before that copy was made: the copies made before it stand as founders, it and
// the later ones are replaced by their originals, parent copies do not exist yet.
std::vector<LoopStep> LoopOfCopy(const FamilyView& view, std::size_t which, std::string* problem) {
  std::map<int32_t, std::size_t> order;  // loop-break copy number -> order made
  for (std::size_t k = 0; k < view.loop_copies.size(); ++k) {
    order[view.nodes[view.loop_copies[k]].number] = k;
  }
  auto before = [&](int32_t number) {
    for (std::size_t guard = 0; guard <= view.nodes.size(); ++guard) {
      const Node* node = view.Find(number);
      if (node == nullptr) return 0;
      if (node->kind == Kind::kAnimal) break;
      if (node->kind == Kind::kLoopCopy && order[number] < which) break;
      number = node->original;
    }
    return number;
  };
  // Vertices: the animals (by node index), then the matings.
  const std::size_t animals = view.nodes.size();
  std::vector<std::vector<std::size_t>> next(animals);
  std::map<std::pair<int32_t, int32_t>, std::size_t> mating_of;
  std::vector<std::pair<int32_t, int32_t>> matings;
  auto join = [&next](std::size_t a, std::size_t b) {
    next[a].push_back(b);
    next[b].push_back(a);
  };
  // The mating's vertex, joined to its parents when new.
  auto mating = [&](int32_t father, int32_t mother) {
    auto [it, fresh] = mating_of.emplace(std::make_pair(father, mother), animals + matings.size());
    if (fresh) {
      matings.emplace_back(father, mother);
      next.emplace_back();
      for (int32_t parent : {father, mother}) {
        if (parent != 0) join(view.index_of.at(parent), it->second);
      }
    }
    return it->second;
  };
  for (std::size_t k = 0; k < animals; ++k) {
    const Node& node = view.nodes[k];
    if (before(node.number) != node.number || node.kind != Kind::kAnimal) continue;
    const int32_t father = before(node.father);
    const int32_t mother = before(node.mother);
    if (father == 0 && mother == 0) continue;
    join(mating(father, mother), k);
  }
  const Node& copy = view.nodes[view.loop_copies[which]];
  const int32_t copied = before(copy.original);
  if (copied == 0) {
    *problem = "the copied animal of copy " + std::to_string(copy.number) + " is not in family " +
               std::to_string(view.family);
    return {};
  }
  const std::size_t start = view.index_of.at(copied);
  // The edges to try closing the loop with: the one to the mating that received the copy
  // when it is known, else each edge of the copied animal.
  std::vector<std::size_t> ends;
  const auto& [father, mother] = view.copy_matings[which];
  auto known = mating_of.find({before(father), before(mother)});
  if (known != mating_of.end() &&
      std::count(next[start].begin(), next[start].end(), known->second) == 1) {
    ends.push_back(known->second);
  } else {
    ends = next[start];
  }
  std::vector<std::size_t> best;
  for (std::size_t end : ends) {
    // Shortest path start .. end without the edge start - end.
    std::vector<std::size_t> from(next.size(), next.size());
    std::deque<std::size_t> queue = {start};
    from[start] = start;
    while (!queue.empty() && from[end] == next.size()) {
      const std::size_t v = queue.front();
      queue.pop_front();
      for (std::size_t w : next[v]) {
        if (from[w] != next.size() || (v == start && w == end)) continue;
        from[w] = v;
        queue.push_back(w);
      }
    }
    if (from[end] == next.size()) continue;
    std::vector<std::size_t> path;
    for (std::size_t v = end; v != start; v = from[v]) path.push_back(v);
    path.push_back(start);
    std::reverse(path.begin(), path.end());
    if (best.empty() || path.size() < best.size()) best = std::move(path);
  }
  if (best.empty()) {
    *problem = "no loop through animal " + std::to_string(copied) + " of family " +
               std::to_string(view.family) + " is found";
    return {};
  }
  auto ini_of = [&view](int32_t number) {
    const Node* node = view.Find(number);
    return node == nullptr ? 0 : node->ini_id;
  };
  std::vector<LoopStep> steps;
  for (std::size_t v : best) {
    LoopStep step;
    if (v < animals) {
      step.number = view.nodes[v].number;
      step.ini_id = view.nodes[v].ini_id;
    } else {
      step.mating = true;
      std::tie(step.father, step.mother) = matings[v - animals];
      step.father_ini_id = ini_of(step.father);
      step.mother_ini_id = ini_of(step.mother);
    }
    steps.push_back(step);
  }
  return steps;
}

// Breed names from the passport file's breed legend.
std::map<int, std::string> BreedNames(FileSystem& folder) {
  std::string passport;
  if (!folder.ReadFile(kPassportFile, &passport)) return {};
  std::map<int, std::string> names;
  for (auto& [code, name] : ReadBreedLegend(PassportTextLinesOf(passport))) {
    if (code >= 1 && code <= kMaxBreeds) names.emplace(code, std::move(name));
  }
  return names;
}

constexpr const char* kBreedColours[kMaxBreeds + 1] = {"white",   "#8dd3c7", "#ffffb3", "#bebada",
                                                       "#fb8072", "#80b1d3", "#fdb462", "#b3de69",
                                                       "#fccde5", "#d9d9d9", "#bc80bd"};

// Writes the DOT text of a picture of one family.
class DotWriter {
 public:
  DotWriter(const ObservedRun& run, const FamilyView& view, bool color_breed)
      : run_(run), view_(view), color_breed_(color_breed) {}

  static std::string Name(const Node& node) { return "p" + std::to_string(node.position); }

  std::string MatingName(int32_t father, int32_t mother) const {
    auto position = [this](int32_t number) {
      const Node* node = view_.Find(number);
      return node == nullptr ? 0 : node->position;
    };
    return "m" + std::to_string(position(father)) + "_" + std::to_string(position(mother));
  }

  // The herd-book id; for a dummy whose dummy sire or dam it is; else "ini_id N".
  std::string Text(const Node& node) const {
    auto it = run_.ids.find(node.ini_id);
    if (it != run_.ids.end() && !it->second.id.empty()) return it->second.id;
    if (it != run_.ids.end()) {
      const int32_t self = view_.Original(node.number);
      for (const Node& child : view_.nodes) {
        if (child.kind != Kind::kAnimal) continue;
        const bool sire = view_.Original(child.father) == self;
        if (!sire && view_.Original(child.mother) != self) continue;
        auto id = run_.ids.find(child.ini_id);
        return std::string(sire ? "dummy sire of " : "dummy dam of ") +
               (id != run_.ids.end() && !id->second.id.empty()
                    ? id->second.id
                    : "ini_id " + std::to_string(child.ini_id));
      }
      return "dummy";
    }
    return "ini_id " + std::to_string(node.ini_id);
  }
  bool IsDummy(const Node& node) const {
    auto it = run_.ids.find(node.ini_id);
    return it != run_.ids.end() && it->second.id.empty();
  }

  // `title`'s lines (ended by '\n') become the label's lines.
  void Head(const std::string& title) {
    std::string label;
    for (std::size_t at = 0; at < title.size();) {
      const std::size_t end = std::min(title.find('\n', at), title.size());
      label += (at == 0 ? "" : "\\n") + Escaped(title.substr(at, end - at));
      at = end + 1;
    }
    dot_ = "digraph \"pedigree\" {\n";
    dot_ += "  graph [rankdir=TB, labelloc=t, fontname=\"Helvetica\", fontsize=14, label=\"" +
            label + "\"];\n";
    dot_ += "  node [fontname=\"Helvetica\", fontsize=10];\n";
    dot_ += "  edge [arrowsize=0.6, fontname=\"Helvetica\", fontsize=9];\n";
  }
  void Animal(const Node& node) {
    // "\\n" is Graphviz's line break inside a label.
    std::string line = "  " + Name(node) + " [label=\"" + Escaped(CutForMessage(Text(node))) +
                       "\\n" + std::to_string(node.number) + " (pos " +
                       std::to_string(node.position) +
                       ")\", shape=" + (node.sex == 1 ? "box" : "ellipse");
    line += Style(node.kind, IsDummy(node), node.breed);
    dot_ += line + "];\n";
    if (color_breed_) breeds_.insert(node.breed);
  }
  void Mating(int32_t father, int32_t mother) {
    dot_ += "  " + MatingName(father, mother) + " [shape=point, width=0.06];\n";
  }
  void ParentEdge(const Node& parent, int32_t father, int32_t mother,
                  const std::string& extra = "") {
    dot_ += "  " + Name(parent) + " -> " + MatingName(father, mother) + " [arrowhead=none" + extra +
            "];\n";
  }
  void ChildEdge(int32_t father, int32_t mother, const Node& child) {
    dot_ += "  " + MatingName(father, mother) + " -> " + Name(child) + ";\n";
  }
  void CopyEdge(const Node& copy, const Node& original) {
    dot_ += "  " + Name(copy) + " -> " + Name(original) +
            " [style=dotted, arrowhead=none, constraint=false];\n";
  }
  void Line(const std::string& text) { dot_ += "  " + text + "\n"; }

  std::string Finish(const std::map<int, std::string>& breed_names) {
    dot_ += "  subgraph cluster_legend {\n    label=\"Legend\"; fontsize=10; color=gray60;\n";
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"male", "shape=box"},
        {"female", "shape=ellipse"},
        {"mating", "shape=point, width=0.06, xlabel=\"mating\""},
        {"loop-break copy", "shape=box" + Style(Kind::kLoopCopy, false, 0)},
        {"parent copy", "shape=box" + Style(Kind::kParentCopy, false, 0)},
        {"dummy", "shape=box" + Style(Kind::kAnimal, true, 0)},
    };
    std::string chain;
    int k = 0;
    auto key = [this, &chain, &k](const std::string& label, const std::string& attributes) {
      const std::string name = "legend_" + std::to_string(++k);
      const std::string text = attributes.find("xlabel") == std::string::npos ? label : "";
      dot_ += "    " + name + " [label=\"" + Escaped(text) + "\", " + attributes + "];\n";
      chain += (chain.empty() ? "" : " -> ") + name;
    };
    for (const auto& [label, attributes] : keys) key(label, attributes);
    for (int breed : breeds_) {
      auto it = breed_names.find(breed);
      const std::string label = breed == 0 ? "no breed fraction"
                                : it == breed_names.end()
                                    ? "breed " + std::to_string(breed)
                                    : std::to_string(breed) + " " + it->second;
      key(label,
          std::string("shape=box, style=filled, fillcolor=\"") + kBreedColours[breed] + "\"");
    }
    // One row: the keys on one rank, kept in order by invisible edges.
    dot_ += "    { rank=same; " + chain + " [style=invis]; }\n  }\n}\n";
    return dot_;
  }

 private:
  std::string Style(Kind kind, bool dummy, int breed) const {
    std::vector<std::string> styles;
    std::string extra;
    if (kind == Kind::kLoopCopy) styles.push_back("dashed");
    if (dummy) styles.push_back("dotted");
    if (kind == Kind::kParentCopy) extra += ", peripheries=2";
    if (color_breed_) {
      styles.push_back("filled");
      extra += std::string(", fillcolor=\"") + kBreedColours[breed] + "\"";
    } else if (kind == Kind::kParentCopy) {
      styles.push_back("filled");
      extra += ", fillcolor=gray85";
    }
    if (styles.empty()) return extra;
    std::string style = ", style=\"";
    for (std::size_t i = 0; i < styles.size(); ++i) style += (i == 0 ? "" : ",") + styles[i];
    return style + "\"" + extra;
  }

  const ObservedRun& run_;
  const FamilyView& view_;
  bool color_breed_ = false;
  std::set<int> breeds_;
  std::string dot_;
};

// The animals `kept` of the family with the matings of their drawn children.
void DrawKept(DotWriter& writer, const FamilyView& view, const std::set<int32_t>& kept) {
  for (const Node& node : view.nodes) {
    if (kept.count(node.number) != 0) writer.Animal(node);
  }
  std::vector<std::pair<int32_t, int32_t>> matings;  // in the order of their first child
  std::map<std::pair<int32_t, int32_t>, std::vector<const Node*>> children;
  for (const Node& node : view.nodes) {
    if (kept.count(node.number) == 0) continue;
    const bool father = kept.count(node.father) != 0 && view.Find(node.father) != nullptr;
    const bool mother = kept.count(node.mother) != 0 && view.Find(node.mother) != nullptr;
    if (!father && !mother) continue;
    const auto key = std::make_pair(node.father, node.mother);
    if (children[key].empty()) matings.push_back(key);
    children[key].push_back(&node);
  }
  for (const auto& [father, mother] : matings) {
    writer.Mating(father, mother);
    for (int32_t parent : {father, mother}) {
      if (parent != 0 && kept.count(parent) != 0)
        writer.ParentEdge(*view.Find(parent), father, mother);
    }
    for (const Node* child : children[{father, mother}]) writer.ChildEdge(father, mother, *child);
  }
  for (const Node& node : view.nodes) {
    if (node.kind == Kind::kAnimal || kept.count(node.number) == 0) continue;
    const Node* original = view.Find(node.original);
    if (original != nullptr && kept.count(original->number) != 0) writer.CopyEdge(node, *original);
  }
}

// The children that received loop-break copy `copy` and are not on its loop `steps`.
std::vector<const Node*> LoopChildren(const FamilyView& view, const std::vector<LoopStep>& steps,
                                      const Node& copy) {
  std::set<int32_t> on_loop;
  for (const LoopStep& step : steps) on_loop.insert(step.number);
  std::vector<const Node*> children;
  for (const Node& child : view.nodes) {
    if ((child.father == copy.number || child.mother == copy.number) &&
        on_loop.count(child.number) == 0) {
      children.push_back(&child);
    }
  }
  return children;
}

// The loop `steps` of loop-break copy `copy`: the copy joined to the mating that received it,
// the edge it breaks red and dashed.
void DrawLoop(DotWriter& writer, const FamilyView& view, const std::vector<LoopStep>& steps,
              const Node& copy) {
  for (const LoopStep& step : steps) {
    if (!step.mating) writer.Animal(*view.Find(step.number));
  }
  writer.Animal(copy);
  for (const LoopStep& step : steps) {
    if (step.mating) writer.Mating(step.father, step.mother);
  }
  for (std::size_t k = 0; k < steps.size(); ++k) {
    const LoopStep& a = steps[k];
    const LoopStep& b = steps[(k + 1) % steps.size()];
    const LoopStep& animal = a.mating ? b : a;
    const LoopStep& mating = a.mating ? a : b;
    const Node& node = *view.Find(animal.number);
    const bool broken = k + 1 == steps.size();
    if (animal.number == mating.father || animal.number == mating.mother) {
      writer.ParentEdge(node, mating.father, mating.mother,
                        broken ? ", color=red, style=dashed, xlabel=\"broken\"" : "");
    } else {
      writer.ChildEdge(mating.father, mating.mother, node);
    }
  }
  const LoopStep& received = steps.back();
  writer.ParentEdge(copy, received.father, received.mother);
  writer.CopyEdge(copy, *view.Find(steps.front().number));
  for (const Node* child : LoopChildren(view, steps, copy)) {
    writer.Animal(*child);
    writer.ChildEdge(received.father, received.mother, *child);
  }
}

// What the title says about a stopped run for family index `s`.
std::string StopNote(const ObservedRun& run, int s) {
  if (run.status == kExitSuccess) return "";
  std::string note = "The run stops: " + StopExplanation(run) + ".";
  const StopStage stage = StageOf(run);
  const int stopped_at = run.stop ? run.stop->family_index : 0;
  if (stage == StopStage::kAsRead || (stage == StopStage::kStructure && s > stopped_at)) {
    note += " This family is drawn as read.";
  } else if (stage == StopStage::kStructure && s == stopped_at) {
    note += " This family is drawn as the run left it, with the copies made so far.";
  } else {
    note += " This family is drawn as the run left it.";
  }
  return note;
}

std::string Plural(std::size_t count, const std::string& word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

std::vector<LoopStep> BrokenLoop(const ObservedRun& run, int32_t copy_position,
                                 std::string* problem) {
  const PedigreeStore& st = run.run->store;
  const int s = FamilyOfPosition(st, copy_position);
  if (s == 0) {
    *problem = "no position " + std::to_string(copy_position);
    return {};
  }
  const FamilyView view = BuildFamily(run, s);
  for (std::size_t k = 0; k < view.loop_copies.size(); ++k) {
    if (view.nodes[view.loop_copies[k]].position == copy_position) {
      return LoopOfCopy(view, k, problem);
    }
  }
  *problem = "position " + std::to_string(copy_position) + " holds no loop-break copy";
  return {};
}

std::string RenderWithDot(const std::string& dot, const std::string& format, int timeout_seconds,
                          std::string* image) {
  int input[2] = {-1, -1};   // a socket: a write to a dot that stopped reading fails with EPIPE
  int output[2] = {-1, -1};  // instead of raising SIGPIPE
  int report[2] = {-1, -1};  // the child's errno when dot cannot be started
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0 ||
      pipe2(output, O_CLOEXEC) != 0 || pipe2(report, O_CLOEXEC) != 0) {
    const std::string problem = std::strerror(errno);
    for (int fd : {input[0], input[1], output[0], output[1], report[0], report[1]}) {
      if (fd >= 0) close(fd);
    }
    return "cannot start dot: " + problem;
  }
  const std::string type = "-T" + format;
  std::vector<char*> argv = {const_cast<char*>("dot"), const_cast<char*>(type.c_str()), nullptr};
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // dot dies with pedprep.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(input[1], STDIN_FILENO);
    dup2(output[1], STDOUT_FILENO);
    execvp("dot", argv.data());
    const int error = errno;
    if (write(report[1], &error, sizeof error) < 0) _exit(127);
    _exit(127);
  }
  close(input[1]);
  close(output[1]);
  close(report[1]);
  if (pid < 0) {
    const std::string problem = std::strerror(errno);
    close(input[0]);
    close(output[0]);
    close(report[0]);
    return "cannot start dot: " + problem;
  }
  int exec_error = 0;
  ssize_t got = 0;
  do {
    got = read(report[0], &exec_error, sizeof exec_error);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  int status = 0;
  auto reap = [pid, &status] {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  };
  if (got == static_cast<ssize_t>(sizeof exec_error)) {
    close(input[0]);
    close(output[0]);
    reap();
    if (exec_error == ENOENT) {
      return "the Graphviz program dot is not installed; install it with: sudo apt-get install "
             "graphviz";
    }
    return std::string("cannot start dot: ") + std::strerror(exec_error);
  }

  fcntl(input[0], F_SETFL, O_NONBLOCK);
  fcntl(output[0], F_SETFL, O_NONBLOCK);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(std::max(timeout_seconds, 1));
  std::size_t sent = 0;
  int to_dot = input[0];
  const int from_dot = output[0];
  bool reading = true;
  image->clear();
  char buffer[1 << 16];
  while (reading) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) break;
    pollfd fds[2] = {{from_dot, POLLIN, 0}, {to_dot, POLLOUT, 0}};
    const int ready =
        poll(fds, to_dot >= 0 ? 2 : 1, static_cast<int>(std::min<long long>(left, 1000)));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    if (to_dot >= 0 && fds[1].revents != 0) {
      const ssize_t wrote = send(to_dot, dot.data() + sent, dot.size() - sent, MSG_NOSIGNAL);
      if (wrote > 0) sent += static_cast<std::size_t>(wrote);
      if (sent == dot.size() || (wrote < 0 && errno != EAGAIN && errno != EINTR)) {
        close(to_dot);  // the end of the DOT text
        to_dot = -1;
      }
    }
    if (fds[0].revents != 0) {
      const ssize_t read_now = read(from_dot, buffer, sizeof buffer);
      if (read_now > 0) image->append(buffer, static_cast<std::size_t>(read_now));
      if (read_now == 0 || (read_now < 0 && errno != EAGAIN && errno != EINTR)) reading = false;
    }
  }
  if (to_dot >= 0) close(to_dot);
  close(from_dot);
  if (reading) {
    kill(pid, SIGKILL);
    reap();
    image->clear();
    return "dot did not finish within " + std::to_string(timeout_seconds) +
           " s (--timeout); draw less with --around, --copy or --core";
  }
  reap();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  image->clear();
  if (WIFSIGNALED(status)) return "dot was ended by signal " + std::to_string(WTERMSIG(status));
  return "dot failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

int RunDraw(FileSystem& folder, const DrawRequest& request, FileSystem& output_folder,
            const DotRenderer& render, std::ostream& out, std::ostream& err) {
  const int asked = static_cast<int>(!request.family.empty()) +
                    static_cast<int>(!request.around.empty()) +
                    static_cast<int>(!request.copy.empty());
  if (asked != 1 || (request.core && request.family.empty())) {
    err << "pedprep draw: give one of --family N, --around ID or --copy POSITION (--core only "
           "with --family)\n";
    return kExitUsage;
  }
  std::unique_ptr<ObservedRun> run = ObserveRunOrReport(folder, err);
  if (!run) return kExitInputError;
  if (StageOf(*run) == StopStage::kReading) {
    err << "pedprep draw: the run stops: " << StopExplanation(*run) << "; nothing drawn\n";
    return kExitStopped;
  }
  const PedigreeStore& st = run->run->store;
  const int families = st.NumFamilies();
  const int32_t rows = families == 0 ? 0 : st.FamilyLast(families);

  int s = 0;
  int32_t center = 0;     // --around: the animal's number
  std::size_t which = 0;  // --copy: index of the family's loop-break copies
  if (!request.family.empty()) {
    int32_t family = 0;
    if (ParseInt(request.family, &family)) s = FamilyIndex(st, family);
    if (s == 0) {
      err << "pedprep draw: no family " << request.family << "; families are 1.." << families
          << "\n";
      return kExitStopped;
    }
  }
  // The first position holding `ini_id`, 0 = none.
  auto holder = [&st, rows](int32_t ini_id) {
    for (int32_t p = 1; p <= rows; ++p) {
      if (st.INI_ID[p] == ini_id) return p;
    }
    return 0;
  };
  auto ini_of_id = [&run](const std::string& id) {
    for (const auto& [ini_id, row] : run->ids) {
      if (row.id == id && !row.id.empty()) return ini_id;
    }
    return 0;
  };
  if (!request.around.empty()) {
    const std::string& text = request.around;
    const int32_t ini_id = ini_of_id(text);
    const int32_t p = ini_id == 0 ? 0 : holder(ini_id);
    if (p != 0) {
      s = FamilyOfPosition(st, p);
      center = st.MAS[p][1];
    } else if (const std::size_t colon = text.find(':'); colon != std::string::npos) {
      int32_t family = 0;
      if (ParseInt(text.substr(0, colon), &family) && ParseInt(text.substr(colon + 1), &center)) {
        s = FamilyIndex(st, family);
      }
    }
    if (s == 0) {
      err << "pedprep draw: no animal " << text << " (a herd-book id of ids.csv or "
          << "FAMILY:INDIVIDUAL as in ped.dat)\n";
      return kExitStopped;
    }
  }
  if (!request.copy.empty()) {
    const std::string& text = request.copy;
    int32_t position = 0;
    const bool by_position = text.find_first_not_of("0123456789") == std::string::npos &&
                             ParseInt(text, &position) && position >= 1 && position <= rows;
    if (by_position) {
      s = FamilyOfPosition(st, position);
    } else {
      const int32_t ini_id = ini_of_id(text);
      position = ini_id == 0 ? 0 : holder(ini_id);
      if (position == 0) {
        err << "pedprep draw: no animal " << text << " and no position " << text
            << " (positions are 1.." << rows << ")\n";
        return kExitStopped;
      }
      s = FamilyOfPosition(st, position);
    }
    const FamilyView view = BuildFamily(*run, s);
    bool found = false;
    for (std::size_t k = 0; k < view.loop_copies.size() && !found; ++k) {
      const Node& copy = view.nodes[view.loop_copies[k]];
      found = by_position ? copy.position == position : copy.ini_id == st.INI_ID[position];
      if (found) which = k;
    }
    if (!found) {
      err << "pedprep draw: " << (by_position ? "position " : "animal ") << text
          << (by_position ? " holds no loop-break copy" : " has no loop-break copy")
          << " (pedprep report lists the copies)\n";
      return kExitStopped;
    }
  }

  const FamilyView view = BuildFamily(*run, s);
  DotWriter writer(*run, view, request.color_breed);
  const std::string family_text = "family " + std::to_string(view.family);
  std::string what;
  std::size_t animals = 0;
  std::set<int32_t> kept;
  std::vector<LoopStep> loop;
  if (!request.copy.empty()) {
    std::string problem;
    loop = LoopOfCopy(view, which, &problem);
    if (loop.empty()) {
      err << "pedprep draw: " << problem << "\n";
      return kExitStopped;
    }
    const Node& copy = view.nodes[view.loop_copies[which]];
    animals = (loop.size() + 1) / 2 + 1 + LoopChildren(view, loop, copy).size();
    what = "the loop that loop-break copy " + std::to_string(copy.number) + " (pos " +
           std::to_string(copy.position) + ") of " + writer.Text(copy) +
           " breaks: " + Plural(loop.size() / 2, "animal") + " and " +
           Plural(loop.size() / 2, "mating") +
           ", with the copy beside its original and the children it was given to";
  } else if (!request.around.empty()) {
    if (view.Find(center) == nullptr) {
      err << "pedprep draw: no animal " << request.around << " (family " << view.family
          << " has individuals 1.." << view.nodes.size() << ")\n";
      return kExitStopped;
    }
    center = view.Original(center);
    kept = Around(view, center, request.up, request.down);
    animals = kept.size();
    what = writer.Text(*view.Find(center)) + " with ancestors up to " +
           Plural(static_cast<std::size_t>(request.up), "generation") +
           " and descendants down to " +
           Plural(static_cast<std::size_t>(request.down), "generation") + ", and their copies";
  } else if (request.core) {
    kept = LoopCore(view);
    animals = kept.size();
    what = "the animals of its loops and their copies, " + Plural(animals, "animal");
  } else {
    for (const Node& node : view.nodes) kept.insert(node.number);
    animals = kept.size();
    what = Plural(animals, "animal");
  }
  if (animals > static_cast<std::size_t>(request.max_animals)) {
    std::string cuts;
    if (request.around.empty()) cuts += "--around ID, ";
    if (!request.around.empty()) cuts += "smaller --up and --down, ";
    if (request.copy.empty()) cuts += "--copy POSITION, ";
    if (!request.family.empty() && !request.core) cuts += "--core, ";
    cuts.resize(cuts.size() - 2);
    if (const std::size_t last = cuts.rfind(", "); last != std::string::npos) {
      cuts.replace(last, 2, " or ");
    }
    err << "pedprep draw: " << family_text << ": " << animals << " animals to draw, more than "
        << request.max_animals << " (--max-animals); draw part of it with " << cuts << "\n";
    return kExitStopped;
  }

  const std::string folder_text = request.folder_name.empty() ? "." : request.folder_name;
  std::string title = folder_text + ", " + family_text + "\n" + what;
  const std::string note = StopNote(*run, s);
  if (!note.empty()) title += "\n" + note;
  writer.Head(title);
  if (loop.empty()) {
    DrawKept(writer, view, kept);
  } else {
    DrawLoop(writer, view, loop, view.nodes[view.loop_copies[which]]);
  }
  const std::string dot =
      writer.Finish(request.color_breed ? BreedNames(folder) : std::map<int, std::string>());

  const std::string& path = request.output;
  if (path.empty()) {
    out << dot;
    return kExitSuccess;
  }
  const std::size_t dot_at = path.rfind('.');
  const std::string extension = dot_at == std::string::npos ? "" : path.substr(dot_at + 1);
  std::string bytes = dot;
  if (extension == "svg" || extension == "png" || extension == "pdf") {
    const std::string problem = render(dot, extension, request.timeout_seconds, &bytes);
    if (!problem.empty()) {
      err << "pedprep draw: " << problem << "\n";
      return kExitStopped;
    }
  }
  try {
    output_folder.WriteFiles({{path, bytes}});
  } catch (const InputError& error) {
    err << error.Report() << "\n";
    return kExitInputError;
  }
  return kExitSuccess;
}

}  // namespace pedprep
