#include "pictures/loop_finder.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <tuple>

#include "core/side_work.h"
#include "reading/observed_run.h"

namespace pedprep {

namespace {

constexpr std::size_t kNone = FamilyView::kNoNode;

// BrokenLoopSizes shares out this many copies or more over two threads.
constexpr std::size_t kCopiesToShare = 16;

// A family as it was just before loop-break copy `which` was made, as a graph of animals and
// matings. Vertices: the view's nodes by index (only those standing for themselves are
// joined), then the matings in the order found. Each edge is kept both ways; a vertex's
// neighbours are in the order joined. `view` must outlive the graph.
class LoopGraph {
 public:
  LoopGraph(const FamilyView& view, std::size_t which)
      : view_(view), animals_(view.nodes.size()), first_of_sire_(2 * animals_ + 1, kNone) {
    StandFor(which);
    // At most one mating per animal, joined to two parents and the animal: 3 edges each.
    edges_.reserve(6 * animals_);
    matings_.reserve(animals_);
    mothers_.reserve(animals_);
    next_of_sire_.reserve(animals_);
    for (std::size_t k = 0; k < animals_; ++k) {
      const Node& node = view.nodes[k];
      if (stands_[k] != k || node.kind != NodeKind::kAnimal) continue;
      const std::size_t father = Before(node.father);
      const std::size_t mother = Before(node.mother);
      if (father == kNone && mother == kNone) continue;
      Join(Mating(father, mother), k);
    }
    IndexNeighbours();
  }

  // The node that `number` stands for before the copy was made (kNone: none, or 0).
  std::size_t Before(int32_t number) const {
    const std::size_t k = number == 0 ? kNone : view_.IndexOf(number);
    return k == kNone ? kNone : stands_[k];
  }
  int32_t NumberOf(std::size_t k) const { return k == kNone ? 0 : view_.nodes[k].number; }

  // The vertex of the mating of two nodes (kNone: unknown), or kNone when there is none.
  std::size_t FindMating(std::size_t father, std::size_t mother) const {
    for (std::size_t m = first_of_sire_[SireSlot(father, mother)]; m != kNone;
         m = next_of_sire_[m]) {
      if (mothers_[m] == mother) return animals_ + m;
    }
    return kNone;
  }

  // The vertices next to `v`: [first, last).
  std::pair<const std::size_t*, const std::size_t*> Neighbours(std::size_t v) const {
    return {next_.data() + first_[v], next_.data() + first_[v + 1]};
  }

  // A shortest path from `start` to `end` that does not take the edge start - end, starting
  // at `start`; empty when there is none.
  std::vector<std::size_t> PathAround(std::size_t start, std::size_t end) const {
    const std::size_t vertices = first_.size() - 1;
    std::vector<std::size_t> from(vertices, vertices);
    std::deque<std::size_t> queue = {start};
    from[start] = start;
    while (!queue.empty() && from[end] == vertices) {
      const std::size_t v = queue.front();
      queue.pop_front();
      for (auto [w, last] = Neighbours(v); w != last; ++w) {
        if (from[*w] != vertices || (v == start && *w == end)) continue;
        from[*w] = v;
        queue.push_back(*w);
      }
    }
    if (from[end] == vertices) return {};
    std::vector<std::size_t> path;
    for (std::size_t v = end; v != start; v = from[v]) path.push_back(v);
    path.push_back(start);
    std::reverse(path.begin(), path.end());
    return path;
  }

  // Vertex `v` as a step of a loop.
  LoopStep StepOf(std::size_t v) const {
    LoopStep step;
    if (v < animals_) {
      step.number = view_.nodes[v].number;
      step.ini_id = view_.nodes[v].ini_id;
      return step;
    }
    auto ini_of = [this](int32_t number) {
      const Node* node = view_.Find(number);
      return node == nullptr ? 0 : node->ini_id;
    };
    step.mating = true;
    std::tie(step.father, step.mother) = matings_[v - animals_];
    step.father_ini_id = ini_of(step.father);
    step.mother_ini_id = ini_of(step.mother);
    return step;
  }

 private:
  // The node each node stands for before copy `which` was made (kNone: none): the copies
  // made before it stand for themselves, later copies and parent copies for their originals.
  void StandFor(std::size_t which) {
    std::vector<std::size_t> made(animals_, 0);  // a loop-break copy's node -> order made
    for (std::size_t k = 0; k < view_.loop_copies.size(); ++k) made[view_.loop_copies[k]] = k;
    stands_.resize(animals_);
    for (std::size_t k = 0; k < animals_; ++k) {
      std::size_t j = k;
      for (std::size_t guard = 0; guard <= animals_ && j != kNone; ++guard) {
        const Node& node = view_.nodes[j];
        if (node.kind == NodeKind::kAnimal) break;
        if (node.kind == NodeKind::kLoopCopy && made[j] < which) break;
        j = view_.IndexOf(node.original);
      }
      stands_[k] = j;
    }
  }

  // The matings are chained by sire: those of each father (by node index), those of each
  // mother with the father unknown, and the one of unknown parents.
  std::size_t SireSlot(std::size_t father, std::size_t mother) const {
    return father != kNone ? father : mother != kNone ? animals_ + mother : 2 * animals_;
  }

  // The mating's vertex, joined to its parents when new.
  std::size_t Mating(std::size_t father, std::size_t mother) {
    std::size_t vertex = FindMating(father, mother);
    if (vertex != kNone) return vertex;
    vertex = animals_ + matings_.size();
    matings_.emplace_back(NumberOf(father), NumberOf(mother));
    mothers_.push_back(mother);
    next_of_sire_.push_back(first_of_sire_[SireSlot(father, mother)]);
    first_of_sire_[SireSlot(father, mother)] = vertex - animals_;
    for (std::size_t parent : {father, mother}) {
      if (parent != kNone) Join(parent, vertex);
    }
    return vertex;
  }

  void Join(std::size_t a, std::size_t b) {
    edges_.emplace_back(a, b);
    edges_.emplace_back(b, a);
  }

  // The neighbours of v become next_[first_[v]..first_[v + 1]), in the order joined.
  void IndexNeighbours() {
    const std::size_t vertices = animals_ + matings_.size();
    first_.assign(vertices + 1, 0);
    for (const auto& edge : edges_) ++first_[edge.first + 1];
    for (std::size_t v = 0; v < vertices; ++v) first_[v + 1] += first_[v];
    next_.resize(edges_.size());
    std::vector<std::size_t> filled(first_.begin(), first_.end() - 1);
    for (const auto& [a, b] : edges_) next_[filled[a]++] = b;
  }

  const FamilyView& view_;
  const std::size_t animals_;
  std::vector<std::size_t> stands_;
  std::vector<std::pair<std::size_t, std::size_t>> edges_;  // both ways, in the order joined
  std::vector<std::pair<int32_t, int32_t>> matings_;        // (father, mother) numbers
  std::vector<std::size_t> mothers_;                        // of each mating, a node index or kNone
  std::vector<std::size_t> next_of_sire_;  // the next mating of its chain, or kNone
  std::vector<std::size_t> first_of_sire_;
  std::vector<std::size_t> first_;
  std::vector<std::size_t> next_;
};

}  // namespace

std::vector<LoopStep> LoopOfCopy(const FamilyView& view, std::size_t which, std::string* problem) {
  const LoopGraph graph(view, which);
  const Node& copy = view.nodes[view.loop_copies[which]];
  const std::size_t start = graph.Before(copy.original);
  if (start == kNone) {
    *problem = "the copied animal of copy " + std::to_string(copy.number) + " is not in family " +
               std::to_string(view.family);
    return {};
  }
  // The edges to try closing the loop with: the one to the mating that received the copy
  // when it is known, else each edge of the copied animal.
  const auto [first, last] = graph.Neighbours(start);
  std::vector<std::size_t> ends;
  const auto& [father, mother] = view.copy_matings[which];
  const std::size_t known = graph.FindMating(graph.Before(father), graph.Before(mother));
  if (known != kNone && std::count(first, last, known) == 1) {
    ends.push_back(known);
  } else {
    ends.assign(first, last);
  }
  std::vector<std::size_t> best;
  for (std::size_t end : ends) {
    std::vector<std::size_t> path = graph.PathAround(start, end);
    if (!path.empty() && (best.empty() || path.size() < best.size())) best = std::move(path);
  }
  if (best.empty()) {
    *problem = "no loop through animal " + std::to_string(graph.NumberOf(start)) + " of family " +
               std::to_string(view.family) + " is found";
    return {};
  }
  std::vector<LoopStep> steps;
  for (std::size_t v : best) steps.push_back(graph.StepOf(v));
  return steps;
}

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

LoopMatingChildren ChildrenAtMatings(const FamilyView& view, const std::vector<LoopStep>& steps,
                                     const Node& copy) {
  std::set<int32_t> drawn = {copy.number};
  for (const LoopStep& step : steps) {
    if (!step.mating) drawn.insert(step.number);
  }
  const std::vector<const Node*> received = LoopChildren(view, steps, copy);
  for (const Node* child : received) drawn.insert(child->number);
  LoopMatingChildren result;
  std::set<std::pair<int32_t, int32_t>> done;
  // The children of the loop's matings, each by its parents as read.
  std::map<std::pair<int32_t, int32_t>, std::vector<const Node*>> children;
  for (const LoopStep& step : steps) {
    if (step.mating) children[{view.Original(step.father), view.Original(step.mother)}];
  }
  if (!children.empty()) {
    for (const Node& child : view.nodes) {
      if (child.kind != NodeKind::kAnimal) continue;
      auto parents = children.find({view.Original(child.father), view.Original(child.mother)});
      if (parents != children.end()) parents->second.push_back(&child);
    }
  }
  for (std::size_t k = 0; k < steps.size(); ++k) {
    const LoopStep& step = steps[k];
    const auto key = std::make_pair(step.father, step.mother);
    if (!step.mating || !done.insert(key).second) continue;
    // A child joined here: a neighbour on the loop that is no parent of the mating, or (at
    // the mating that received the copy) a child given the copy.
    bool joined = k + 1 == steps.size() && !received.empty();
    for (const LoopStep* next :
         {&steps[(k + steps.size() - 1) % steps.size()], &steps[(k + 1) % steps.size()]}) {
      joined = joined || (next->number != step.father && next->number != step.mother);
    }
    std::vector<const Node*> undrawn;
    for (const Node* child : children[{view.Original(step.father), view.Original(step.mother)}]) {
      if (drawn.count(child->number) == 0) undrawn.push_back(child);
    }
    if (!joined && !undrawn.empty()) {
      result.first.emplace_back(key, undrawn.front());
      drawn.insert(undrawn.front()->number);
      undrawn.erase(undrawn.begin());
    }
    if (!undrawn.empty()) result.undrawn.emplace_back(key, undrawn.size());
  }
  return result;
}

std::vector<LoopStep> BrokenLoop(const ObservedRun& run, int32_t copy_position,
                                 std::string* problem) {
  std::map<int, FamilyView> views;
  return BrokenLoop(run, copy_position, &views, problem);
}

std::vector<LoopStep> BrokenLoop(const ObservedRun& run, int32_t copy_position,
                                 std::map<int, FamilyView>* views, std::string* problem) {
  const PedigreeStore& st = run.run->store;
  const int s = FamilyOfPosition(st, copy_position);
  if (s == 0) {
    *problem = "no position " + std::to_string(copy_position);
    return {};
  }
  auto built = views->find(s);
  if (built == views->end()) built = views->emplace(s, BuildFamily(run, s)).first;
  const FamilyView& view = built->second;
  for (std::size_t k = 0; k < view.loop_copies.size(); ++k) {
    if (view.nodes[view.loop_copies[k]].position == copy_position) {
      return LoopOfCopy(view, k, problem);
    }
  }
  *problem = "position " + std::to_string(copy_position) + " holds no loop-break copy";
  return {};
}

std::vector<std::size_t> BrokenLoopSizes(const ObservedRun& run,
                                         const std::vector<int32_t>& positions) {
  // Each family built once, before the threads share them (read only).
  const PedigreeStore& st = run.run->store;
  std::map<int, FamilyView> views;
  std::vector<std::pair<const FamilyView*, std::size_t>> copies(positions.size(), {nullptr, 0});
  for (std::size_t k = 0; k < positions.size(); ++k) {
    const int s = FamilyOfPosition(st, positions[k]);
    if (s == 0) continue;
    auto built = views.find(s);
    if (built == views.end()) built = views.emplace(s, BuildFamily(run, s)).first;
    const FamilyView& view = built->second;
    for (std::size_t c = 0; c < view.loop_copies.size(); ++c) {
      if (view.nodes[view.loop_copies[c]].position == positions[k]) {
        copies[k] = {&view, c};
        break;
      }
    }
  }
  std::vector<std::size_t> sizes(positions.size(), 0);
  const auto measure = [&copies, &sizes](std::size_t from, std::size_t step) {
    for (std::size_t k = from; k < copies.size(); k += step) {
      std::string problem;
      if (copies[k].first != nullptr) {
        sizes[k] = LoopOfCopy(*copies[k].first, copies[k].second, &problem).size();
      }
    }
  };
  SideWork odd([&] { measure(1, 2); }, positions.size() >= kCopiesToShare);
  measure(0, 2);
  odd.Wait();
  return sizes;
}

}  // namespace pedprep
