#include "figures/founder_figures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace pedprep {
namespace {

constexpr double kExplained = 1e-10;  // fa: taking stops within this of the whole
constexpr double kNegligible = 1e-12;
constexpr double kTie = 1e-9;  // fa: q this close (relative) to the largest tie with it

// The group's animals that take part, renumbered 0..m-1 parents first.
struct Group {
  std::vector<int32_t> animal;                 // local -> animal index
  std::vector<std::array<int32_t, 2>> parent;  // local parents, -1 = unknown
  std::vector<bool> reference;
  int32_t references = 0;
};

Group MakeGroup(const std::vector<ParentLinks>& links, const std::vector<bool>& placeholder,
                const AncestryFigures& figures, const std::vector<bool>& reference, int32_t first,
                int32_t last) {
  Group group;
  std::vector<int32_t> local(static_cast<std::size_t>(std::max(last - first, 0)), -1);
  const auto taking_part = [&](int32_t i) {
    const auto u = static_cast<std::size_t>(i);
    return figures.resolved[u] && (placeholder.empty() || !placeholder[u]);
  };
  // Parents first: by generation (a parent's is smaller than its child's).
  int32_t deepest = 0;
  for (int32_t i = first; i < last; ++i) {
    if (taking_part(i))
      deepest = std::max(deepest, figures.generation[static_cast<std::size_t>(i)]);
  }
  std::vector<std::vector<int32_t>> by_generation(static_cast<std::size_t>(deepest) + 1);
  for (int32_t i = first; i < last; ++i) {
    if (taking_part(i)) {
      by_generation[static_cast<std::size_t>(figures.generation[static_cast<std::size_t>(i)])]
          .push_back(i);
    }
  }
  for (const auto& level : by_generation) {
    for (int32_t i : level) {
      local[static_cast<std::size_t>(i - first)] = static_cast<int32_t>(group.animal.size());
      group.animal.push_back(i);
    }
  }
  for (int32_t i : group.animal) {
    std::array<int32_t, 2> parents = {-1, -1};
    const ParentLinks& link = links[static_cast<std::size_t>(i)];
    int k = 0;
    for (int32_t p : {link.father, link.mother}) {
      if (p >= first && p < last && taking_part(p)) {
        parents[static_cast<std::size_t>(k)] = local[static_cast<std::size_t>(p - first)];
      }
      ++k;
    }
    group.parent.push_back(parents);
    const bool in = reference[static_cast<std::size_t>(i)];
    group.reference.push_back(in);
    group.references += in ? 1 : 0;
  }
  return group;
}

// c(j) with the parent links of the `taken` animals cut (none when `taken` is empty).
void Contributions(const Group& group, const std::vector<bool>& taken, std::vector<double>& c) {
  const std::size_t m = group.animal.size();
  const double own = 1.0 / group.references;
  for (std::size_t j = 0; j < m; ++j) c[j] = group.reference[j] ? own : 0.0;
  for (std::size_t j = m; j-- > 0;) {
    if (c[j] == 0.0 || (!taken.empty() && taken[j])) continue;
    for (int32_t p : group.parent[j]) {
      if (p >= 0) c[static_cast<std::size_t>(p)] += 0.5 * c[j];
    }
  }
}

int UnknownParents(const Group& group, std::size_t j) {
  return static_cast<int>(group.parent[j][0] < 0) + static_cast<int>(group.parent[j][1] < 0);
}

// k(j): the share of j's genes that the convention traces to founders: 1 for every animal
// with phantoms (an unknown parent stands for a founder), else the mean of the parents' k, an
// unknown parent's 0.
std::vector<double> KnownShares(const Group& group, HalfFounders half_founders) {
  std::vector<double> k(group.animal.size(), 1.0);
  if (half_founders == HalfFounders::kPhantom) return k;
  for (std::size_t j = 0; j < k.size(); ++j) {
    if (UnknownParents(group, j) == 2) continue;
    k[j] = 0.0;
    for (int32_t p : group.parent[j]) {
      if (p >= 0) k[j] += 0.5 * k[static_cast<std::size_t>(p)];
    }
  }
  return k;
}

// Takes ancestors by their marginal contributions q(j) = c'(j) (k(j) - a(j)) / K, K the
// share of the reference's genes traced to founders; fills q_squares and ancestors_taken. The
// candidates are the founders, the phantom parents (of animals with one parent unknown, when
// they count) and the animals with a child that passes on reference genes. A phantom passes
// its genes only through its animal, so it has nothing left once its animal is taken. Of the
// q within kTie (relative) of the largest, the candidate first in line is taken, a phantom
// right after its animal.
void TakeAncestors(const Group& group, HalfFounders half_founders, FounderFigures& figures) {
  const std::size_t m = group.animal.size();
  std::vector<double> c(m, 0.0);
  Contributions(group, {}, c);
  std::vector<bool> candidate(m, false);
  for (std::size_t j = 0; j < m; ++j) {
    if (c[j] <= 0.0) continue;
    if (UnknownParents(group, j) == 2) candidate[j] = true;
    for (int32_t p : group.parent[j]) {
      if (p >= 0) candidate[static_cast<std::size_t>(p)] = true;
    }
  }
  const std::vector<double> k = KnownShares(group, half_founders);
  const bool phantoms = half_founders == HalfFounders::kPhantom;
  const double whole = figures.traced;
  std::vector<bool> taken(m, false);
  std::vector<bool> phantom_taken(m, false);
  std::vector<double> a(m, 0.0);
  std::vector<std::pair<double, int64_t>> offers;  // (q, 2 x local index + 1 for a phantom)
  double explained = 0.0;
  while (explained < 1.0 - kExplained) {
    Contributions(group, taken, c);
    offers.clear();
    for (std::size_t j = 0; j < m; ++j) {
      const int unknown = UnknownParents(group, j);
      double from_taken = unknown == 1 && phantom_taken[j] ? 0.5 : 0.0;
      for (int32_t p : group.parent[j]) {
        if (p >= 0) from_taken += 0.5 * a[static_cast<std::size_t>(p)];
      }
      a[j] = taken[j] ? k[j] : from_taken;
      const auto key = 2 * static_cast<int64_t>(j);
      if (candidate[j] && !taken[j]) offers.emplace_back(c[j] * (k[j] - from_taken) / whole, key);
      if (phantoms && unknown == 1 && !taken[j] && !phantom_taken[j] && c[j] > 0.0) {
        offers.emplace_back(0.5 * c[j] / whole, key + 1);
      }
    }
    double best = kNegligible;
    for (const auto& offer : offers) best = std::max(best, offer.first);
    const auto line = [&group](int64_t key) {
      return 2 * static_cast<int64_t>(group.animal[static_cast<std::size_t>(key / 2)]) + key % 2;
    };
    int64_t chosen = -1;
    double q = 0.0;
    for (const auto& [offer, key] : offers) {
      if (offer >= best * (1.0 - kTie) && offer > kNegligible &&
          (chosen < 0 || line(key) < line(chosen))) {
        chosen = key;
        q = offer;
      }
    }
    if (chosen < 0) break;
    const auto j = static_cast<std::size_t>(chosen / 2);
    (chosen % 2 == 0 ? taken : phantom_taken)[j] = true;
    explained += q;
    figures.q_squares += q * q;
    ++figures.ancestors_taken;
  }
}

}  // namespace

double FounderFigures::MeanEcg() const { return reference == 0 ? 0.0 : ecg_sum / reference; }

std::optional<double> FounderFigures::Fe() const {
  if (p_squares <= 0.0) return std::nullopt;
  return 1.0 / p_squares;
}

std::optional<double> FounderFigures::Fa() const {
  if (q_squares <= 0.0) return std::nullopt;
  return 1.0 / q_squares;
}

std::optional<double> FounderFigures::Ne() const {
  if (delta_f_animals == 0 || delta_f_sum <= 0.0) return std::nullopt;
  return 1.0 / (2.0 * delta_f_sum / delta_f_animals);
}

FounderFigures ComputeFounderFigures(const std::vector<ParentLinks>& links,
                                     const std::vector<bool>& placeholder,
                                     const AncestryFigures& figures,
                                     const std::vector<bool>& reference, int32_t first,
                                     int32_t last, const FounderConventions& conventions) {
  FounderFigures result;
  const Group group = MakeGroup(links, placeholder, figures, reference, first, last);
  result.reference = group.references;
  if (group.references == 0) return result;
  const std::size_t m = group.animal.size();
  const bool rescale = conventions.half_founders == HalfFounders::kRescale;

  std::vector<double> c(m, 0.0);
  Contributions(group, {}, c);
  double traced = 0.0;
  for (std::size_t j = 0; j < m; ++j) {
    const int unknown = UnknownParents(group, j);
    if (c[j] <= 0.0 || unknown == 0) continue;
    ++(unknown == 2 ? result.founders : result.half_founders);
    if (unknown == 1 && rescale) continue;
    const double p = unknown == 2 ? c[j] : 0.5 * c[j];
    result.shares.push_back({group.animal[j], unknown == 1, p});
    traced += p;
  }
  result.traced = rescale ? traced : 1.0;
  for (FounderShare& share : result.shares) {
    share.p /= result.traced;
    result.p_squares += share.p * share.p;
  }
  std::sort(result.shares.begin(), result.shares.end(),
            [](const FounderShare& x, const FounderShare& y) { return x.animal < y.animal; });

  for (std::size_t j = 0; j < m; ++j) {
    if (!group.reference[j]) continue;
    const auto i = static_cast<std::size_t>(group.animal[j]);
    const double t = figures.ecg[i];
    result.ecg_sum += t;
    if (t > 1.0) {
      ++result.delta_f_animals;
      result.delta_f_sum += 1.0 - std::pow(1.0 - figures.inbreeding[i], 1.0 / (t - 1.0));
    } else if (conventions.ne_include_shallow) {
      ++result.delta_f_animals;
    }
  }
  if (result.traced > 0.0) TakeAncestors(group, conventions.half_founders, result);
  return result;
}

FounderFigures Combine(const std::vector<FounderFigures>& groups) {
  FounderFigures all;
  all.traced = 0.0;
  for (const FounderFigures& g : groups) all.reference += g.reference;
  if (all.reference == 0) return all;
  for (const FounderFigures& g : groups) {
    all.traced += static_cast<double>(g.reference) / all.reference * g.traced;
  }
  for (const FounderFigures& g : groups) {
    // A group's share of the genes traced to founders.
    const double w = all.traced <= 0.0
                         ? 0.0
                         : static_cast<double>(g.reference) / all.reference * g.traced / all.traced;
    all.founders += g.founders;
    all.half_founders += g.half_founders;
    all.ecg_sum += g.ecg_sum;
    all.p_squares += w * w * g.p_squares;
    all.q_squares += w * w * g.q_squares;
    all.ancestors_taken += g.ancestors_taken;
    all.delta_f_animals += g.delta_f_animals;
    all.delta_f_sum += g.delta_f_sum;
    for (FounderShare share : g.shares) {
      share.p *= w;
      all.shares.push_back(share);
    }
  }
  return all;
}

}  // namespace pedprep
