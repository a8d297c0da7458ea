#include "inspect/dot_writer.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "inspect/observed_run.h"
#include "records/escape.h"

namespace pedprep {
namespace {

constexpr const char* kBreedColours[kMaxBreeds + 1] = {"white",   "#8dd3c7", "#ffffb3", "#bebada",
                                                       "#fb8072", "#80b1d3", "#fdb462", "#b3de69",
                                                       "#fccde5", "#d9d9d9", "#bc80bd"};

// Borders of repeated ancestors in a chart, one colour per animal (cycled).
constexpr const char* kRepeatColours[] = {"#e41a1c", "#377eb8", "#4daf4a", "#984ea3",
                                          "#ff7f00", "#a65628", "#f781bf", "#999999"};

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
  std::string label;
  for (std::size_t at = 0; at < title.size();) {
    const std::size_t end = std::min(title.find('\n', at), title.size());
    label += (at == 0 ? "" : "\\n") + DotEscaped(title.substr(at, end - at));
    at = end + 1;
  }
  dot_ = "digraph \"pedigree\" {\n";
  dot_ += std::string("  graph [rankdir=") + (left_to_right ? "LR" : "TB") +
          ", labelloc=t, fontname=\"Helvetica\", fontsize=14, label=\"" + label + "\"];\n";
  dot_ += "  node [fontname=\"Helvetica\", fontsize=10];\n";
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
  line += Style(node.kind, IsDummy(node), node.breed);
  dot_ += line + "];\n";
  if (color_breed_) breeds_.insert(node.breed);
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
  std::string line = "  a" + std::to_string(slot) + " [label=\"" + Label(node) +
                     (again ? "\\nrepeated" : "") +
                     "\", shape=" + (node.sex == 1 ? "box" : "ellipse");
  line += Style(NodeKind::kAnimal, IsDummy(node), node.breed);
  if (repeat > 0) {
    line += std::string(", penwidth=3, color=\"") +
            kRepeatColours[static_cast<std::size_t>(repeat - 1) % std::size(kRepeatColours)] + "\"";
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
  dot_ += "  " + name + " [label=\"+" + std::to_string(count) + (count == 1 ? " sib" : " sibs") +
          "\", shape=plaintext, fontsize=9];\n";
  dot_ += "  " + MatingName(father, mother) + " -> " + name + " [style=dotted, arrowhead=none];\n";
}

std::string DotWriter::Finish(const std::map<int, std::string>& breed_names) {
  dot_ += "  subgraph cluster_legend {\n    label=\"Legend\"; fontsize=10; color=gray60;\n";
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"male", "shape=box"},
      {"female", "shape=ellipse"},
      {"mating", "shape=point, width=0.06, xlabel=\"mating\""},
      {"loop-break copy", "shape=box" + Style(NodeKind::kLoopCopy, false, 0)},
      {"parent copy", "shape=box" + Style(NodeKind::kParentCopy, false, 0)},
      {"dummy", "shape=box" + Style(NodeKind::kAnimal, true, 0)},
  };
  std::string chain;
  int k = 0;
  auto key = [this, &chain, &k](const std::string& label, const std::string& attributes) {
    const std::string name = "legend_" + std::to_string(++k);
    const std::string text = attributes.find("xlabel") == std::string::npos ? label : "";
    dot_ += "    " + name + " [label=\"" + DotEscaped(text) + "\", " + attributes + "];\n";
    chain += (chain.empty() ? "" : " -> ") + name;
  };
  for (std::size_t k = 0; k < (chart_ ? 2 : keys.size()); ++k) key(keys[k].first, keys[k].second);
  if (repeats_) {
    key("repeated ancestor",
        std::string("shape=box, penwidth=3, color=\"") + kRepeatColours[0] + "\"");
  }
  for (int breed : breeds_) {
    auto it = breed_names.find(breed);
    const std::string label = breed == 0                ? "no breed fraction"
                              : it == breed_names.end() ? "breed " + std::to_string(breed)
                                                        : std::to_string(breed) + " " + it->second;
    key(label, std::string("shape=box, style=filled, fillcolor=\"") + kBreedColours[breed] + "\"");
  }
  // One row: the keys on one rank, kept in order by invisible edges.
  dot_ += "    { rank=same; " + chain + " [style=invis]; }\n  }\n}\n";
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
              bool as_read) {
  for (const Node& node : view.nodes) {
    if (kept.count(node.number) != 0) writer.Animal(node);
  }
  auto parent = [&view, as_read](int32_t number) {
    return as_read ? view.Original(number) : number;
  };
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
    for (const Node* child : children[{father, mother}]) writer.ChildEdge(father, mother, *child);
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
