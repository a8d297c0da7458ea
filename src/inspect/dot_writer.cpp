#include "inspect/dot_writer.h"

#include <algorithm>

#include "inspect/observed_run.h"
#include "records/escape.h"

namespace pedprep {
namespace {

constexpr const char* kBreedColours[kMaxBreeds + 1] = {"white",   "#8dd3c7", "#ffffb3", "#bebada",
                                                       "#fb8072", "#80b1d3", "#fdb462", "#b3de69",
                                                       "#fccde5", "#d9d9d9", "#bc80bd"};

}  // namespace

std::string DotEscaped(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '"' || c == '\\') escaped += '\\';
    escaped += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
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

void DotWriter::Head(const std::string& title) {
  std::string label;
  for (std::size_t at = 0; at < title.size();) {
    const std::size_t end = std::min(title.find('\n', at), title.size());
    label += (at == 0 ? "" : "\\n") + DotEscaped(title.substr(at, end - at));
    at = end + 1;
  }
  dot_ = "digraph \"pedigree\" {\n";
  dot_ += "  graph [rankdir=TB, labelloc=t, fontname=\"Helvetica\", fontsize=14, label=\"" + label +
          "\"];\n";
  dot_ += "  node [fontname=\"Helvetica\", fontsize=10];\n";
  dot_ += "  edge [arrowsize=0.6, fontname=\"Helvetica\", fontsize=9];\n";
}

void DotWriter::Animal(const Node& node) {
  // "\\n" is Graphviz's line break inside a label.
  std::string line = "  " + Name(node) + " [label=\"" + DotEscaped(CutForMessage(Text(node))) +
                     "\\n" + std::to_string(node.number) + " (pos " +
                     std::to_string(node.position) +
                     ")\", shape=" + (node.sex == 1 ? "box" : "ellipse");
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
  for (const auto& [label, attributes] : keys) key(label, attributes);
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
    if (node.kind == NodeKind::kAnimal || kept.count(node.number) == 0) continue;
    const Node* original = view.Find(node.original);
    if (original != nullptr && kept.count(original->number) != 0) writer.CopyEdge(node, *original);
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
}
}  // namespace pedprep
