#include "figures/inbreeding.h"

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

// Sum over the ancestors j of the seeds (the seeds included) of L(x,j)^2 D(j), for an animal
// x whose row L(x,.) holds `l`[seed] for each seed listed in `by_generation` (no seed above
// generation `top`). Ancestors are taken by decreasing generation, so the share of each is
// complete when it is taken. Leaves `l` zero and the lists empty.
double SumOverAncestors(const std::vector<ParentLinks>& links,
                        const std::vector<int32_t>& generation, const std::vector<double>& d,
                        int32_t top, std::vector<double>& l,
                        std::vector<std::vector<int32_t>>& by_generation) {
  double sum = 0.0;
  for (int32_t g = top; g >= 0; --g) {
    std::vector<int32_t>& level = by_generation[static_cast<std::size_t>(g)];
    for (int32_t j : level) {
      const auto ju = static_cast<std::size_t>(j);
      const double share = l[ju];
      sum += share * share * d[ju];
      l[ju] = 0.0;
      for (int32_t parent : {links[ju].father, links[ju].mother}) {
        if (parent == kUnknownParent) continue;
        const auto pu = static_cast<std::size_t>(parent);
        if (l[pu] == 0.0) {
          by_generation[static_cast<std::size_t>(generation[pu])].push_back(parent);
        }
        l[pu] += 0.5 * share;
      }
    }
    level.clear();
  }
  return sum;
}

std::vector<ParentLinks> LinksInRange(const std::vector<ParentLinks>& parents) {
  std::vector<ParentLinks> links(parents);
  for (ParentLinks& link : links) {
    for (int32_t* parent : {&link.father, &link.mother}) {
      if (*parent < 0 || static_cast<std::size_t>(*parent) >= links.size()) {
        *parent = kUnknownParent;
      }
    }
  }
  return links;
}

// D(j) of every animal reached, from the parents' F.
std::vector<double> Diagonals(const std::vector<ParentLinks>& links,
                              const AncestryFigures& figures) {
  std::vector<double> d(links.size(), 0.0);
  const auto f_of = [&figures](int32_t parent) {
    return parent == kUnknownParent ? -1.0 : figures.inbreeding[static_cast<std::size_t>(parent)];
  };
  for (std::size_t v = 0; v < links.size(); ++v) {
    d[v] = 0.5 - 0.25 * (f_of(links[v].father) + f_of(links[v].mother));
  }
  return d;
}

int32_t Deepest(const AncestryFigures& figures) {
  int32_t deepest = 0;
  for (int32_t g : figures.generation) deepest = std::max(deepest, g);
  return deepest;
}

// ecg and complete of every animal reached (see the header), parents first.
void Completeness(const std::vector<ParentLinks>& links, const std::vector<int32_t>& order,
                  const std::vector<bool>& placeholder, AncestryFigures& figures) {
  figures.ecg.assign(links.size(), 0.0);
  figures.complete.assign(links.size(), 0);
  const auto known = [&placeholder](int32_t parent) {
    return parent != kUnknownParent &&
           (placeholder.empty() || !placeholder[static_cast<std::size_t>(parent)]);
  };
  for (int32_t animal : order) {
    const auto v = static_cast<std::size_t>(animal);
    if (!placeholder.empty() && placeholder[v]) continue;
    double ecg = 0.0;
    int32_t complete = -1;
    bool both = true;
    for (int32_t parent : {links[v].father, links[v].mother}) {
      if (!known(parent)) {
        both = false;
        continue;
      }
      const auto p = static_cast<std::size_t>(parent);
      ecg += 0.5 * (1.0 + figures.ecg[p]);
      complete = complete < 0 ? figures.complete[p] : std::min(complete, figures.complete[p]);
    }
    figures.ecg[v] = ecg;
    figures.complete[v] = both ? 1 + complete : 0;
  }
}

}  // namespace

AncestryFigures ComputeAncestry(const std::vector<ParentLinks>& parents,
                                const std::vector<bool>& placeholder) {
  const std::size_t n = parents.size();
  const std::vector<ParentLinks> links = LinksInRange(parents);

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
    l[v] = 1.0;
    by_generation[static_cast<std::size_t>(figures.generation[v])].push_back(animal);
    const double diagonal =
        SumOverAncestors(links, figures.generation, d, figures.generation[v], l, by_generation);
    f[v] = std::max(0.0, diagonal - 1.0);
    by_parents.emplace(key, f[v]);
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!figures.resolved[i]) figures.generation[i] = -1;  // only some parents were reached
  }
  Completeness(links, order, placeholder, figures);
  return figures;
}

CalfInbreeding::CalfInbreeding(const std::vector<ParentLinks>& parents,
                               const AncestryFigures& figures)
    : links_(LinksInRange(parents)),
      figures_(figures),
      d_(Diagonals(links_, figures)),
      l_(parents.size(), 0.0),
      by_generation_(static_cast<std::size_t>(Deepest(figures)) + 1) {}

double CalfInbreeding::Of(int32_t sire, int32_t dam) {
  const auto s = static_cast<std::size_t>(sire);
  const auto d = static_cast<std::size_t>(dam);
  // The calf x: D(x) from its parents' F, and L(x,sire) = L(x,dam) = 1/2.
  const double own = 0.5 - 0.25 * (figures_.inbreeding[s] + figures_.inbreeding[d]);
  l_[s] += 0.5;
  l_[d] += 0.5;
  by_generation_[static_cast<std::size_t>(figures_.generation[s])].push_back(sire);
  if (dam != sire) by_generation_[static_cast<std::size_t>(figures_.generation[d])].push_back(dam);
  const int32_t top = std::max(figures_.generation[s], figures_.generation[d]);
  const double diagonal =
      own + SumOverAncestors(links_, figures_.generation, d_, top, l_, by_generation_);
  return std::max(0.0, diagonal - 1.0);
}

}  // namespace pedprep
