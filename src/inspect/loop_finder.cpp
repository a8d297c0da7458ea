#include "inspect/loop_finder.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <tuple>

#include "inspect/observed_run.h"

namespace pedprep {

std::vector<LoopStep> LoopOfCopy(const FamilyView& view, std::size_t which, std::string* problem) {
  std::map<int32_t, std::size_t> order;  // loop-break copy number -> order made
  for (std::size_t k = 0; k < view.loop_copies.size(); ++k) {
    order[view.nodes[view.loop_copies[k]].number] = k;
  }
  auto before = [&](int32_t number) {
    for (std::size_t guard = 0; guard <= view.nodes.size(); ++guard) {
      const Node* node = view.Find(number);
      if (node == nullptr) return 0;
      if (node->kind == NodeKind::kAnimal) break;
      if (node->kind == NodeKind::kLoopCopy && order[number] < which) break;
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
    if (before(node.number) != node.number || node.kind != NodeKind::kAnimal) continue;
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
  // The children of each pair of parents as read, made when first needed.
  std::map<std::pair<int32_t, int32_t>, std::vector<const Node*>> children;
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
    if (children.empty()) {
      for (const Node& child : view.nodes) {
        if (child.kind != NodeKind::kAnimal) continue;
        children[{view.Original(child.father), view.Original(child.mother)}].push_back(&child);
      }
    }
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

}  // namespace pedprep
