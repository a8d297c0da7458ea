#include "inspect/inbreeding.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>

namespace pedprep {
namespace {

// Kahn's order over the parent links: every animal after its known parents. Animals on or
// below a cycle are never reached. Sets the generations of the animals reached.
std::vector<int32_t> ParentsFirstOrder(const std::vector<ParentLinks>& links,
                                       std::vector<int32_t>& generation) {
  const std::size_t n = links.size();
  std::vector<int32_t> pending(n, 0);
  std::vector<int32_t> child_start(n + 1, 0);
  for (const ParentLinks& link : links) {
    for (int32_t parent : {link.father, link.mother}) {
      if (parent != kUnknownParent) ++child_start[static_cast<std::size_t>(parent) + 1];
    }
  }
  for (std::size_t i = 0; i < n; ++i) child_start[i + 1] += child_start[i];
  std::vector<int32_t> children(static_cast<std::size_t>(child_start[n]));
  std::vector<int32_t> filled(child_start.begin(), child_start.end() - 1);
  for (std::size_t i = 0; i < n; ++i) {
    for (int32_t parent : {links[i].father, links[i].mother}) {
      if (parent == kUnknownParent) continue;
      children[static_cast<std::size_t>(filled[static_cast<std::size_t>(parent)]++)] =
          static_cast<int32_t>(i);
      ++pending[i];
    }
  }

  std::vector<int32_t> order;
  order.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (pending[i] == 0) {
      order.push_back(static_cast<int32_t>(i));
      generation[i] = 0;
    }
  }
  for (std::size_t k = 0; k < order.size(); ++k) {
    const auto v = static_cast<std::size_t>(order[k]);
    for (int32_t e = child_start[v]; e < child_start[v + 1]; ++e) {
      const auto c = static_cast<std::size_t>(children[static_cast<std::size_t>(e)]);
      generation[c] = std::max(generation[c], generation[v] + 1);
      if (--pending[c] == 0) order.push_back(static_cast<int32_t>(c));
    }
  }
  return order;
}

}  // namespace

AncestryFigures ComputeAncestry(const std::vector<ParentLinks>& parents) {
  const std::size_t n = parents.size();
  std::vector<ParentLinks> links(parents);
  for (ParentLinks& link : links) {
    for (int32_t* parent : {&link.father, &link.mother}) {
      if (*parent < 0 || static_cast<std::size_t>(*parent) >= n) *parent = kUnknownParent;
    }
  }

  AncestryFigures figures;
  figures.generation.assign(n, -1);
  figures.inbreeding.assign(n, 0.0);
  figures.resolved.assign(n, false);
  const std::vector<int32_t> order = ParentsFirstOrder(links, figures.generation);

  std::vector<double>& f = figures.inbreeding;
  const auto f_of = [&f](int32_t parent) {
    return parent == kUnknownParent ? -1.0 : f[static_cast<std::size_t>(parent)];
  };
  int32_t deepest = 0;
  for (int32_t v : order)
    deepest = std::max(deepest, figures.generation[static_cast<std::size_t>(v)]);
  std::vector<std::vector<int32_t>> by_generation(static_cast<std::size_t>(deepest) + 1);
  std::vector<double> d(n, 0.0);
  std::vector<double> l(n, 0.0);  // the row L(i,.) being built; 0 = not reached yet
  std::unordered_map<uint64_t, double> by_parents;

  for (int32_t animal : order) {
    const auto v = static_cast<std::size_t>(animal);
    figures.resolved[v] = true;
    const int32_t father = links[v].father;
    const int32_t mother = links[v].mother;
    d[v] = 0.5 - 0.25 * (f_of(father) + f_of(mother));
    if (father == kUnknownParent || mother == kUnknownParent) continue;

    const uint64_t key =
        (static_cast<uint64_t>(static_cast<uint32_t>(std::min(father, mother))) << 32U) |
        static_cast<uint32_t>(std::max(father, mother));
    const auto known = by_parents.find(key);
    if (known != by_parents.end()) {
      f[v] = known->second;
      continue;
    }
    double diagonal = 0.0;
    l[v] = 1.0;
    by_generation[static_cast<std::size_t>(figures.generation[v])].push_back(animal);
    for (int32_t g = figures.generation[v]; g >= 0; --g) {
      std::vector<int32_t>& level = by_generation[static_cast<std::size_t>(g)];
      for (int32_t j : level) {
        const auto ju = static_cast<std::size_t>(j);
        const double share = l[ju];
        diagonal += share * share * d[ju];
        l[ju] = 0.0;
        for (int32_t parent : {links[ju].father, links[ju].mother}) {
          if (parent == kUnknownParent) continue;
          const auto pu = static_cast<std::size_t>(parent);
          if (l[pu] == 0.0) {
            by_generation[static_cast<std::size_t>(figures.generation[pu])].push_back(parent);
          }
          l[pu] += 0.5 * share;
        }
      }
      level.clear();
    }
    f[v] = std::max(0.0, diagonal - 1.0);
    by_parents.emplace(key, f[v]);
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!figures.resolved[i]) figures.generation[i] = -1;  // only some parents were reached
  }
  return figures;
}

}  // namespace pedprep
