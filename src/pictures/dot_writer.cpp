#include "pictures/dot_writer.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "reading/observed_run.h"
#include "records/count_text.h"
#include "records/escape.h"

namespace pedprep {
namespace {

constexpr const char* kBreedColours[kMaxBreeds + 1] = {"white",   "#8dd3c7", "#ffffb3", "#bebada",
                                                       "#fb8072", "#80b1d3", "#fdb462", "#b3de69",
                                                       "#fccde5", "#d9d9d9", "#bc80bd"};

// Borders of repeated ancestors in a chart, one colour per animal; the ones after these are
// black with a number mark.
constexpr const char* kRepeatColours[] = {"#be0032", "#0067a5", "#008856", "#f38400", "#875692",
                                          "#882d17", "#e68fac", "#848482", "#f3c300", "#a1caf1",
                                          "#8db600", "#604e97", "#f99379", "#654522", "#dcd300",
                                          "#b3446c", "#2b3d26", "#c2b280", "#e25822", "#f6a600"};

// F with at most 4 decimals, trailing zeros cut ("0.0625", "0.25", "0"); below 0.00005
// but above 0 "<0.0001".
std::string InbreedingText(double f) {
  if (f > 0 && f < 0.00005) return "<0.0001";
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", f);
  std::string shown = text;
  while (shown.back() == '0') shown.pop_back();
  if (shown.back() == '.') shown.pop_back();
  return shown;
}

}  // namespace

std::string DotEscaped(const std::string& text) {
  std::string escaped;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' || c == '\\') escaped += '\\';
    // Controls become blanks: C0, DEL and C1 (U+0080..U+009F, UTF-8 C2 80..C2 9F).
    const bool c1 = c == '\xC2' && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c1) ++i;
    escaped += static_cast<unsigned char>(c) < 0x20 || c == '\x7F' || c1 ? ' ' : c;
  }
  return escaped;
}

std::string DotWriter::MatingName(int32_t father, int32_t mother) const {
  auto position = [this](int32_t number) {
    const Node* node = view_.Find(number);
    return node == nullptr ? 0 : node->position;
  };
  return "m" + std::to_string(position(father)) + "_" + std::to_string(position(mother));
}

std::string DotWriter::Text(const Node& node) const {
  auto it = run_.ids.find(node.ini_id);
  if (it != run_.ids.end() && !it->second.id.empty()) return it->second.id;
  if (it != run_.ids.end()) {
    const int32_t self = view_.Original(node.number);
    for (const Node& child : view_.nodes) {
      if (child.kind != NodeKind::kAnimal) continue;
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

bool DotWriter::IsDummy(const Node& node) const {
  auto it = run_.ids.find(node.ini_id);
  return it != run_.ids.end() && it->second.id.empty();
}

void DotWriter::Head(const std::string& title, bool left_to_right) {
  // Lines longer than kTitleLine characters break at their last blank before it, so a long
  // title does not set the picture's width.
  constexpr std::size_t kTitleLine = 100;
  std::string label;
  for (std::size_t at = 0; at < title.size();) {
    std::size_t end = std::min(title.find('\n', at), title.size());
    std::size_t next = end + 1;
    if (end - at > kTitleLine) {
      const std::size_t blank = title.rfind(' ', at + kTitleLine);
      if (blank != std::string::npos && blank > at) {
        end = blank;
        next = blank + 1;
      }
    }
    label += (at == 0 ? "" : "\\n") + DotEscaped(title.substr(at, end - at));
    at = next;
  }
  dot_ = "digraph \"pedigree\" {\n";
  // The legend is a part of its own, packed below the picture, so no line crosses it; a
  // chart's boxes sit close to fit 32 to a column on a page.
  dot_ += std::string("  graph [rankdir=") + (left_to_right ? "LR" : "TB") +
          ", labelloc=t, fontname=\"Helvetica\", fontsize=14, label=\"" + label + "\"];\n";
  // (The array is laid out before the graph turns left to right: one row then turns into one
  // column.)
  dot_ += std::string("  graph [pack=true, packmode=\"") +
          (left_to_right ? "array_c1\", nodesep=0.03, ranksep=0.15" : "array_1\"") + "];\n";
  dot_ += std::string("  node [fontname=\"Helvetica\", fontsize=10") +
          (left_to_right ? ", margin=\"0.08,0.03\", height=0.2" : "") + "];\n";
  dot_ += "  edge [arrowsize=0.6, fontname=\"Helvetica\", fontsize=9];\n";
}

std::string DotWriter::Label(const Node& node) const {
  const int32_t original = view_.Original(node.number);
  std::string label;
  for (const std::string& item : facts_.items) {
    std::string line;
    if (item == "id") {
      line = CutForMessage(Text(node));
    } else if (item == "breed" && facts_.breed.count(original) != 0) {
      line = facts_.breed.at(original);
    } else if (item == "F" && facts_.inbreeding.count(original) != 0) {
      line = "F " + InbreedingText(facts_.inbreeding.at(original));
    } else if (item == "born" && facts_.born.count(original) != 0) {
      line = "born " + facts_.born.at(original);
    }
    // "\\n" is Graphviz's line break inside a label.
    if (!line.empty()) label += DotEscaped(line) + "\\n";
  }
  return label + std::to_string(node.number) + " (pos " + std::to_string(node.position) + ")";
}

void DotWriter::Animal(const Node& node) {
  std::string line = "  " + Name(node) + " [label=\"" + Label(node) +
                     "\", shape=" + (node.sex == 1 ? "box" : "ellipse");
  // A copy is coloured as its original: the breed of its largest fraction.
  const Node* original = view_.Find(view_.Original(node.number));
  const int breed = original == nullptr ? node.breed : original->breed;
  line += Style(node.kind, IsDummy(node), breed);
  dot_ += line + "];\n";
  if (color_breed_) breeds_.insert(breed);
}

void DotWriter::Mating(int32_t father, int32_t mother) {
  dot_ += "  " + MatingName(father, mother) + " [shape=point, width=0.06];\n";
}

void DotWriter::ParentEdge(const Node& parent, int32_t father, int32_t mother,
                           const std::string& extra) {
  dot_ += "  " + Name(parent) + " -> " + MatingName(father, mother) + " [arrowhead=none" + extra +
          "];\n";
}

void DotWriter::ChildEdge(int32_t father, int32_t mother, const Node& child) {
  dot_ += "  " + MatingName(father, mother) + " -> " + Name(child) + ";\n";
}

void DotWriter::CopyEdge(const Node& copy, const Node& original) {
  dot_ += "  " + Name(copy) + " -> " + Name(original) +
          " [style=dotted, arrowhead=none, constraint=false];\n";
}

void DotWriter::ChartBox(const Node& node, uint64_t slot, int repeat, bool again) {
  const bool marked = repeat > static_cast<int>(std::size(kRepeatColours));
  std::string line = "  a" + std::to_string(slot) + " [label=\"" + Label(node) +
                     (marked ? " [R" + std::to_string(repeat) + "]" : "") +
                     (again ? ", repeated" : "") + "\", shape=box";
  // Females are rounded boxes: ellipses would not fit 32 to a column.
  std::string style = Style(NodeKind::kAnimal, IsDummy(node), node.breed);
  const std::size_t styles = style.find("style=\"");
  if (node.sex != 1 && styles == std::string::npos) style += ", style=\"rounded\"";
  if (node.sex != 1 && styles != std::string::npos) style.insert(styles + 7, "rounded,");
  line += style;
  if (repeat > 0) {
    line += std::string(", penwidth=3, color=\"") +
            (marked ? "black" : kRepeatColours[static_cast<std::size_t>(repeat - 1)]) + "\"";
    repeats_ = true;
  }
  chart_ = true;
  dot_ += line + "];\n";
  if (color_breed_) breeds_.insert(node.breed);
}

void DotWriter::ChartEdge(uint64_t child_slot, uint64_t parent_slot) {
  dot_ += "  a" + std::to_string(child_slot) + " -> a" + std::to_string(parent_slot) +
          " [arrowhead=none];\n";
}

void DotWriter::Siblings(int32_t father, int32_t mother, std::size_t count) {
  const std::string name = "s" + MatingName(father, mother).substr(1);
  dot_ += "  " + name + " [label=\"+" + CountText(static_cast<long long>(count)) +
          (count == 1 ? " sib" : " sibs") + "\", shape=plaintext, fontsize=9];\n";
  dot_ += "  " + MatingName(father, mother) + " -> " + name + " [style=dotted, arrowhead=none];\n";
}

void DotWriter::FoldedSibs(int32_t father, int32_t mother, const std::vector<const Node*>& sibs) {
  const std::string name = "f" + MatingName(father, mother).substr(1);
  const auto males =
      std::count_if(sibs.begin(), sibs.end(), [](const Node* sib) { return sib->sex == 1; });
  const auto females = static_cast<long>(sibs.size()) - males;
  std::string label = CountText(static_cast<long long>(sibs.size())) + " full sibs (" +
                      CountText(males) + (males == 1 ? " male, " : " males, ") +
                      CountText(females) + (females == 1 ? " female):" : " females):");
  for (std::size_t k = 0; k < sibs.size(); ++k) {
    label += (k % 3 == 0 ? "\n" : ", ") + Text(*sibs[k]);
  }
  std::string escaped;
  for (std::size_t at = 0; at < label.size();) {
    const std::size_t end = std::min(label.find('\n', at), label.size());
    escaped += (at == 0 ? "" : "\\n") + DotEscaped(label.substr(at, end - at));
    at = end + 1;
  }
  dot_ += "  " + name + " [label=\"" + escaped + "\", shape=box3d];\n";
  dot_ += "  " + MatingName(father, mother) + " -> " + name + ";\n";
  folded_ = true;
}

std::string DotWriter::Finish(const std::map<int, std::string>& breed_names) {
  dot_ += "  subgraph cluster_legend {\n    label=\"Legend\"; fontsize=10; color=gray60;\n";
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"male", "shape=box"},
      {"female", "shape=ellipse"},
      {"mating", "shape=point, width=0.06, xlabel=\"mating\""},
      {"loop-break copy", "shape=box" + Style(NodeKind::kLoopCopy, false, 0)},
      // Coloured by breed, a parent copy is filled with its breed's colour: the legend
      // shows its double border only.
      {color_breed_ ? "parent copy (double border)" : "parent copy",
       color_breed_ ? "shape=box, peripheries=2"
                    : "shape=box" + Style(NodeKind::kParentCopy, false, 0)},
      {"dummy", "shape=box" + Style(NodeKind::kAnimal, true, 0)},
  };
  std::vector<std::string> names;
  auto key = [this, &names](const std::string& label, const std::string& attributes) {
    const std::string name = "legend_" + std::to_string(names.size() + 1);
    const std::string text = attributes.find("xlabel") == std::string::npos ? label : "";
    dot_ += "    " + name + " [label=\"" + DotEscaped(text) + "\", " + attributes + "];\n";
    names.push_back(name);
  };
  key(keys[0].first, keys[0].second);
  key(keys[1].first, chart_ ? "shape=box, style=\"rounded\"" : keys[1].second);
  for (std::size_t k = 2; k < (chart_ ? 2 : keys.size()); ++k) key(keys[k].first, keys[k].second);
  if (folded_) key("full sibs without offspring drawn", "shape=box3d");
  if (repeats_) {
    key("repeated ancestor (a colour each)",
        std::string("shape=box, penwidth=3, color=\"") + kRepeatColours[0] + "\"");
  }
  for (int breed : breeds_) {
    auto it = breed_names.find(breed);
    const std::string label = breed == 0                ? "no breed fraction"
                              : it == breed_names.end() ? "breed " + std::to_string(breed)
                                                        : std::to_string(breed) + " " + it->second;
    key(label, std::string("shape=box, style=filled, fillcolor=\"") + kBreedColours[breed] + "\"");
  }
  // One row, kept in order by invisible edges: the keys on one rank, or in a chart (left to
  // right) each on the next.
  std::string chain;
  for (const std::string& name : names) chain += (chain.empty() ? "" : " -> ") + name;
  dot_ += chart_ ? "    " + chain + " [style=invis];\n  }\n}\n"
                 : "    { rank=same; " + chain + " [style=invis]; }\n  }\n}\n";
  return dot_;
}

std::string DotWriter::Style(NodeKind kind, bool dummy, int breed) const {
  std::vector<std::string> styles;
  std::string extra;
  if (kind == NodeKind::kLoopCopy) styles.push_back("dashed");
  if (dummy) styles.push_back("dotted");
  if (kind == NodeKind::kParentCopy) extra += ", peripheries=2";
  if (color_breed_) {
    styles.push_back("filled");
    extra += std::string(", fillcolor=\"") + kBreedColours[breed] + "\"";
  } else if (kind == NodeKind::kParentCopy) {
    styles.push_back("filled");
    extra += ", fillcolor=gray85";
  }
  if (styles.empty()) return extra;
  std::string style = ", style=\"";
  for (std::size_t i = 0; i < styles.size(); ++i) style += (i == 0 ? "" : ",") + styles[i];
  return style + "\"" + extra;
}

// The animals `kept` of the family with the matings of their drawn children.
void DrawKept(DotWriter& writer, const FamilyView& view, const std::set<int32_t>& kept,
              bool as_read, bool compact, int32_t center) {
  auto parent = [&view, as_read](int32_t number) {
    return as_read ? view.Original(number) : number;
  };
  // With `compact`: the animals that may be folded (no child or copy drawn, not the center),
  // by their mating, and those folded.
  std::set<int32_t> folded;
  std::map<std::pair<int32_t, int32_t>, std::vector<const Node*>> foldable;
  if (compact) {
    std::set<int32_t> busy = {center};
    for (const Node& node : view.nodes) {
      if (kept.count(node.number) == 0) continue;
      busy.insert(parent(node.father));
      busy.insert(parent(node.mother));
      if (node.kind != NodeKind::kAnimal) busy.insert(node.original);
    }
    for (const Node& node : view.nodes) {
      if (kept.count(node.number) == 0 || node.kind != NodeKind::kAnimal ||
          busy.count(node.number) != 0 || node.father == 0 || node.mother == 0 ||
          kept.count(parent(node.father)) + kept.count(parent(node.mother)) == 0) {
        continue;
      }
      foldable[{parent(node.father), parent(node.mother)}].push_back(&node);
    }
    for (const auto& [mating, sibs] : foldable) {
      if (sibs.size() < 2) continue;
      for (const Node* sib : sibs) folded.insert(sib->number);
    }
  }
  for (const Node& node : view.nodes) {
    if (kept.count(node.number) != 0 && folded.count(node.number) == 0) writer.Animal(node);
  }
  std::vector<std::pair<int32_t, int32_t>> matings;  // in the order of their first child
  std::map<std::pair<int32_t, int32_t>, std::vector<const Node*>> children;
  for (const Node& node : view.nodes) {
    if (kept.count(node.number) == 0) continue;
    const auto key = std::make_pair(parent(node.father), parent(node.mother));
    const bool father = kept.count(key.first) != 0 && view.Find(key.first) != nullptr;
    const bool mother = kept.count(key.second) != 0 && view.Find(key.second) != nullptr;
    if (!father && !mother) continue;
    if (children[key].empty()) matings.push_back(key);
    children[key].push_back(&node);
  }
  for (const auto& [father, mother] : matings) {
    writer.Mating(father, mother);
    for (int32_t p : {father, mother}) {
      if (p != 0 && kept.count(p) != 0) writer.ParentEdge(*view.Find(p), father, mother);
    }
    for (const Node* child : children[{father, mother}]) {
      if (folded.count(child->number) == 0) writer.ChildEdge(father, mother, *child);
    }
    auto sibs = foldable.find({father, mother});
    if (sibs != foldable.end() && sibs->second.size() >= 2) {
      writer.FoldedSibs(father, mother, sibs->second);
    }
  }
  for (const Node& node : view.nodes) {
    if (node.kind == NodeKind::kAnimal || kept.count(node.number) == 0) continue;
    const Node* original = view.Find(node.original);
    if (original != nullptr && kept.count(original->number) != 0) writer.CopyEdge(node, *original);
  }
}

void DrawChart(DotWriter& writer, const FamilyView& view, const std::vector<ChartBox>& boxes) {
  std::map<int32_t, int> boxes_of;
  for (const ChartBox& box : boxes) ++boxes_of[box.number];
  std::map<int32_t, int> repeat;  // number -> its colour (1, 2, ...) when repeated
  std::set<int32_t> seen;
  for (const ChartBox& box : boxes) {
    if (boxes_of[box.number] > 1 && repeat.count(box.number) == 0) {
      const int next = static_cast<int>(repeat.size()) + 1;
      repeat[box.number] = next;
    }
    const bool again = !seen.insert(box.number).second;
    writer.ChartBox(*view.Find(box.number), box.slot,
                    repeat.count(box.number) != 0 ? repeat[box.number] : 0, again);
  }
  for (const ChartBox& box : boxes) {
    if (box.slot > 1) writer.ChartEdge(box.slot / 2, box.slot);
  }
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
                        broken ? ", color=red, style=dashed, taillabel=\"broken\", "
                                 "labelfontcolor=red, labeldistance=2.5"
                               : "");
    } else {
      writer.ChildEdge(mating.father, mating.mother, node);
    }
  }
  // Both parents at each mating: the one the loop does not pass through joined to it too.
  std::set<int32_t> drawn;
  for (const LoopStep& step : steps) {
    if (!step.mating) drawn.insert(step.number);
  }
  for (std::size_t k = 0; k < steps.size(); ++k) {
    const LoopStep& mating = steps[k];
    if (!mating.mating) continue;
    for (int32_t parent : {mating.father, mating.mother}) {
      const Node* node = view.Find(parent);
      const LoopStep& before = steps[(k + steps.size() - 1) % steps.size()];
      const LoopStep& after = steps[(k + 1) % steps.size()];
      if (node == nullptr || before.number == parent || after.number == parent) continue;
      if (drawn.insert(parent).second) writer.Animal(*node);
      writer.ParentEdge(*node, mating.father, mating.mother);
    }
  }
  const LoopStep& received = steps.back();
  writer.ParentEdge(copy, received.father, received.mother);
  writer.CopyEdge(copy, *view.Find(steps.front().number));
  for (const Node* child : LoopChildren(view, steps, copy)) {
    writer.Animal(*child);
    writer.ChildEdge(received.father, received.mother, *child);
  }
  const LoopMatingChildren children = ChildrenAtMatings(view, steps, copy);
  for (const auto& [mating, child] : children.first) {
    writer.Animal(*child);
    writer.ChildEdge(mating.first, mating.second, *child);
  }
  for (const auto& [mating, count] : children.undrawn) {
    writer.Siblings(mating.first, mating.second, count);
  }
}
}  // namespace pedprep
