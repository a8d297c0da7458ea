#include "pictures/loop_finder.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <tuple>

#include "reading/observed_run.h"

namespace pedprep {

std::vector<LoopStep> LoopOfCopy(const FamilyView& view, std::size_t which, std::string* problem) {
  const std::size_t animals = view.nodes.size();
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // The node of each number, from a table when the numbers are dense (they are 1.. up).
  std::vector<std::size_t> dense;
  int32_t lowest = 0;
  if (!view.index_of.empty()) {
    lowest = view.index_of.begin()->first;
    const int64_t span = int64_t{view.index_of.rbegin()->first} - lowest + 1;
    if (span <= 4 * static_cast<int64_t>(view.index_of.size()) + 16) {
      dense.assign(static_cast<std::size_t>(span), kNone);
      for (const auto& [number, k] : view.index_of) {
        dense[static_cast<std::size_t>(number - lowest)] = k;
      }
    }
  }
  auto at = [&view, &dense, lowest](int32_t number) {
    if (!dense.empty()) {
      const int64_t slot = int64_t{number} - lowest;
      return slot < 0 || slot >= static_cast<int64_t>(dense.size())
                 ? kNone
                 : dense[static_cast<std::size_t>(slot)];
    }
    auto it = view.index_of.find(number);
    return it == view.index_of.end() ? kNone : it->second;
  };
  std::vector<std::size_t> made(animals, 0);  // a loop-break copy's node -> order made
  for (std::size_t k = 0; k < view.loop_copies.size(); ++k) made[view.loop_copies[k]] = k;
  // The node that node `k` stands for before copy `which` was made (kNone: none): the copies
  // made before it stand for themselves, later copies and parent copies for their originals.
  auto stands_for = [&](std::size_t k) {
    for (std::size_t guard = 0; guard <= animals && k != kNone; ++guard) {
      const Node& node = view.nodes[k];
      if (node.kind == NodeKind::kAnimal) break;
      if (node.kind == NodeKind::kLoopCopy && made[k] < which) break;
      k = at(node.original);
    }
    return k;
  };
  std::vector<std::size_t> stands(animals);
  for (std::size_t k = 0; k < animals; ++k) stands[k] = stands_for(k);
  auto before = [&](int32_t number) {
    const std::size_t k = number == 0 ? kNone : at(number);
    return k == kNone ? kNone : stands[k];
  };
  auto number_of = [&view](std::size_t k) { return k == kNone ? 0 : view.nodes[k].number; };
  // Vertices: the animals (by node index), then the matings.
  std::vector<std::pair<std::size_t, std::size_t>> edges;  // both ways, in the order joined
  // The matings found so far, as chains: those of each father (by node index), those of each
  // mother with the father unknown, and the one of unknown parents.
  std::vector<std::pair<int32_t, int32_t>> matings;
  std::vector<std::size_t> mothers;       // of each mating, a node index or kNone
  std::vector<std::size_t> next_of_sire;  // the next mating of its chain, or kNone
  std::vector<std::size_t> first_of_sire(2 * animals + 1, kNone);
  auto sire_slot = [animals](std::size_t father, std::size_t mother) {
    return father != kNone ? father : mother != kNone ? animals + mother : 2 * animals;
  };
  // The vertex of the mating, or kNone.
  auto find_mating = [&](std::size_t father, std::size_t mother) {
    for (std::size_t m = first_of_sire[sire_slot(father, mother)]; m != kNone;
         m = next_of_sire[m]) {
      if (mothers[m] == mother) return animals + m;
    }
    return kNone;
  };
  auto join = [&edges](std::size_t a, std::size_t b) {
    edges.emplace_back(a, b);
    edges.emplace_back(b, a);
  };
  // The mating's vertex, joined to its parents when new.
  auto mating = [&](std::size_t father, std::size_t mother) {
    std::size_t vertex = find_mating(father, mother);
    if (vertex == kNone) {
      vertex = animals + matings.size();
      matings.emplace_back(number_of(father), number_of(mother));
      mothers.push_back(mother);
      next_of_sire.push_back(first_of_sire[sire_slot(father, mother)]);
      first_of_sire[sire_slot(father, mother)] = vertex - animals;
      for (std::size_t parent : {father, mother}) {
        if (parent != kNone) join(parent, vertex);
      }
    }
    return vertex;
  };
  for (std::size_t k = 0; k < animals; ++k) {
    const Node& node = view.nodes[k];
    if (stands[k] != k || node.kind != NodeKind::kAnimal) continue;
    const std::size_t father = before(node.father);
    const std::size_t mother = before(node.mother);
    if (father == kNone && mother == kNone) continue;
    join(mating(father, mother), k);
  }
  // Each vertex's neighbours, in the order joined: those of v are next[first[v]..first[v + 1]).
  const std::size_t vertices = animals + matings.size();
  std::vector<std::size_t> first(vertices + 1, 0);
  for (const auto& edge : edges) ++first[edge.first + 1];
  for (std::size_t v = 0; v < vertices; ++v) first[v + 1] += first[v];
  std::vector<std::size_t> next(edges.size());
  std::vector<std::size_t> filled(first.begin(), first.end() - 1);
  for (const auto& [a, b] : edges) next[filled[a]++] = b;
  auto neighbours = [&](std::size_t v) {
    return std::make_pair(next.begin() + static_cast<std::ptrdiff_t>(first[v]),
                          next.begin() + static_cast<std::ptrdiff_t>(first[v + 1]));
  };
  const Node& copy = view.nodes[view.loop_copies[which]];
  const std::size_t start = before(copy.original);
  if (start == kNone) {
    *problem = "the copied animal of copy " + std::to_string(copy.number) + " is not in family " +
               std::to_string(view.family);
    return {};
  }
  const int32_t copied = number_of(start);
  // The edges to try closing the loop with: the one to the mating that received the copy
  // when it is known, else each edge of the copied animal.
  std::vector<std::size_t> ends;
  const auto& [father, mother] = view.copy_matings[which];
  const std::size_t known = find_mating(before(father), before(mother));
  if (known != kNone && std::count(neighbours(start).first, neighbours(start).second, known) == 1) {
    ends.push_back(known);
  } else {
    ends.assign(neighbours(start).first, neighbours(start).second);
  }
  std::vector<std::size_t> best;
  for (std::size_t end : ends) {
    // Shortest path start .. end without the edge start - end.
    std::vector<std::size_t> from(vertices, vertices);
    std::deque<std::size_t> queue = {start};
    from[start] = start;
    while (!queue.empty() && from[end] == vertices) {
      const std::size_t v = queue.front();
      queue.pop_front();
      for (auto [w, last] = neighbours(v); w != last; ++w) {
        if (from[*w] != vertices || (v == start && *w == end)) continue;
        from[*w] = v;
        queue.push_back(*w);
      }
    }
    if (from[end] == vertices) continue;
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

}  // namespace pedprep
