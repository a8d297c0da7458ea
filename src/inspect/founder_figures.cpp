#include "inspect/founder_figures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace pedprep {
namespace {

constexpr double kExplained = 1e-10;  // fa: taking stops within this of the whole
constexpr double kNegligible = 1e-12;

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

// Takes ancestors by their marginal contributions; fills q_squares and ancestors_taken. The
// candidates are the founders, the phantom parents (of animals with one parent unknown) and
// the animals with a child that passes on reference genes; ties go to the candidate first in
// line, a phantom right after its animal.
void TakeAncestors(const Group& group, FounderFigures& figures) {
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
  std::vector<bool> taken(m, false);
  std::vector<bool> phantom_taken(m, false);
  std::vector<double> a(m, 0.0);
  double explained = 0.0;
  while (explained < 1.0 - kExplained) {
    Contributions(group, taken, c);
    double best = kNegligible;
    int64_t chosen = -1;  // 2 x local index, + 1 for its phantom
    const auto consider = [&](double q, int64_t key) {
      const auto line = [&group](int64_t k) {
        return 2 * static_cast<int64_t>(group.animal[static_cast<std::size_t>(k / 2)]) + k % 2;
      };
      if (q > best || (q == best && chosen >= 0 && line(key) < line(chosen))) {
        best = q;
        chosen = key;
      }
    };
    for (std::size_t j = 0; j < m; ++j) {
      const int unknown = UnknownParents(group, j);
      double from_taken = unknown == 1 && phantom_taken[j] ? 0.5 : 0.0;
      for (int32_t p : group.parent[j]) {
        if (p >= 0) from_taken += 0.5 * a[static_cast<std::size_t>(p)];
      }
      a[j] = taken[j] ? 1.0 : from_taken;
      const auto key = 2 * static_cast<int64_t>(j);
      if (candidate[j] && !taken[j]) consider(c[j] * (1.0 - from_taken), key);
      if (unknown == 1 && !phantom_taken[j] && c[j] > 0.0) consider(0.5 * c[j], key + 1);
    }
    if (chosen < 0) break;
    const auto j = static_cast<std::size_t>(chosen / 2);
    (chosen % 2 == 0 ? taken : phantom_taken)[j] = true;
    explained += best;
    figures.q_squares += best * best;
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
                                     int32_t last) {
  FounderFigures result;
  const Group group = MakeGroup(links, placeholder, figures, reference, first, last);
  result.reference = group.references;
  if (group.references == 0) return result;
  const std::size_t m = group.animal.size();

  std::vector<double> c(m, 0.0);
  Contributions(group, {}, c);
  for (std::size_t j = 0; j < m; ++j) {
    const int unknown = UnknownParents(group, j);
    if (c[j] <= 0.0 || unknown == 0) continue;
    const double p = unknown == 2 ? c[j] : 0.5 * c[j];
    result.shares.push_back({group.animal[j], unknown == 1, p});
    result.p_squares += p * p;
    ++(unknown == 2 ? result.founders : result.half_founders);
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
    }
  }
  TakeAncestors(group, result);
  return result;
}

FounderFigures Combine(const std::vector<FounderFigures>& groups) {
  FounderFigures all;
  for (const FounderFigures& g : groups) all.reference += g.reference;
  if (all.reference == 0) return all;
  for (const FounderFigures& g : groups) {
    const double w = static_cast<double>(g.reference) / all.reference;
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
