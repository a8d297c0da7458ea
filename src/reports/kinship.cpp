#include "reports/kinship.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <sstream>
#include <unordered_map>
#include <utility>

#include "core/exit_status.h"
#include "figures/animal_table.h"
#include "reading/observed_run.h"
#include "records/count_text.h"
#include "records/csv.h"
#include "records/escape.h"
#include "records/id_list.h"
#include "records/text_table.h"
#include "reports/founders_report.h"
#include "reports/report.h"

namespace pedprep {
namespace {

// The links with parents out of range made unknown.
std::vector<ParentLinks> InRange(const std::vector<ParentLinks>& parents) {
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

// The resolved animals by increasing generation (so every animal after its parents).
std::vector<int32_t> ParentsFirst(const AncestryFigures& figures) {
  const std::size_t n = figures.generation.size();
  int32_t deepest = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (figures.resolved[i]) deepest = std::max(deepest, figures.generation[i]);
  }
  std::vector<int32_t> start(static_cast<std::size_t>(deepest) + 2, 0);
  for (std::size_t i = 0; i < n; ++i) {
    if (figures.resolved[i]) ++start[static_cast<std::size_t>(figures.generation[i]) + 1];
  }
  std::partial_sum(start.begin(), start.end(), start.begin());
  std::vector<int32_t> order(static_cast<std::size_t>(start.back()));
  for (std::size_t i = 0; i < n; ++i) {
    if (!figures.resolved[i]) continue;
    order[static_cast<std::size_t>(start[static_cast<std::size_t>(figures.generation[i])]++)] =
        static_cast<int32_t>(i);
  }
  return order;
}

// Sums over the ancestors of a set of seeds of L(x,k)^2 q(k), for the two diagonals at once,
// taking ancestors by decreasing generation (as figures/inbreeding.cpp does for F).
class AncestorWalk {
 public:
  AncestorWalk(const std::vector<ParentLinks>& links, const std::vector<int32_t>& generation,
               int32_t deepest)
      : links_(links),
        generation_(generation),
        l_(links.size(), 0.0),
        by_generation_(static_cast<std::size_t>(deepest) + 1) {}

  void Seed(int32_t animal, double share) {
    const auto a = static_cast<std::size_t>(animal);
    if (l_[a] == 0.0) by_generation_[static_cast<std::size_t>(generation_[a])].push_back(animal);
    l_[a] += share;
  }

  // Leaves the walk empty.
  std::pair<double, double> Sum(const std::vector<double>& q1, const std::vector<double>& q2) {
    double sum1 = 0.0;
    double sum2 = 0.0;
    for (auto g = static_cast<int32_t>(by_generation_.size()) - 1; g >= 0; --g) {
      std::vector<int32_t>& level = by_generation_[static_cast<std::size_t>(g)];
      for (std::size_t k = 0; k < level.size(); ++k) {
        const auto a = static_cast<std::size_t>(level[k]);
        const double share = l_[a];
        l_[a] = 0.0;
        sum1 += share * share * q1[a];
        sum2 += share * share * q2[a];
        for (int32_t parent : {links_[a].father, links_[a].mother}) {
          if (parent != kUnknownParent) Seed(parent, 0.5 * share);
        }
      }
      level.clear();
    }
    return {sum1, sum2};
  }

 private:
  const std::vector<ParentLinks>& links_;
  const std::vector<int32_t>& generation_;
  std::vector<double> l_;
  std::vector<std::vector<int32_t>> by_generation_;
};

uint64_t PairKey(int32_t a, int32_t b) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(std::min(a, b))) << 32U) |
         static_cast<uint32_t>(std::max(a, b));
}

}  // namespace

KinshipProduct KinshipProduct::Kinship(const std::vector<ParentLinks>& links,
                                       const AncestryFigures& figures) {
  KinshipProduct product;
  product.links_ = InRange(links);
  product.order_ = ParentsFirst(figures);
  product.q_.assign(links.size(), 0.0);
  for (int32_t animal : product.order_) {
    const auto a = static_cast<std::size_t>(animal);
    double q = 0.25;
    for (int32_t parent : {product.links_[a].father, product.links_[a].mother}) {
      q -=
          (parent == kUnknownParent ? -1.0 : figures.inbreeding[static_cast<std::size_t>(parent)]) /
          8.0;
    }
    product.q_[a] = q;
  }
  return product;
}

void KinshipProduct::Native(const std::vector<ParentLinks>& links, const AncestryFigures& figures,
                            const std::vector<double>& native, KinshipProduct* identical,
                            KinshipProduct* both_native) {
  const std::size_t n = links.size();
  KinshipProduct& f = *identical;
  KinshipProduct& g = *both_native;
  f.links_ = InRange(links);
  f.order_ = ParentsFirst(figures);
  f.q_.assign(n, 0.0);
  g.links_ = f.links_;
  g.order_ = f.order_;
  g.q_.assign(n, 0.0);
  g.rank_one_ = true;
  std::vector<double>& nc = g.fractions_;
  nc.assign(n, 0.0);

  int32_t deepest = 0;
  for (int32_t animal : f.order_) {
    deepest = std::max(deepest, figures.generation[static_cast<std::size_t>(animal)]);
  }
  AncestorWalk walk(f.links_, figures.generation, deepest);
  std::vector<double> f_own(n, 0.0);                              // fN_jj
  std::vector<double> g_own(n, 0.0);                              // g_jj
  std::unordered_map<uint64_t, std::pair<double, double>> above;  // by parents: the ancestors' sums
  for (int32_t animal : f.order_) {
    const auto j = static_cast<std::size_t>(animal);
    const int32_t father = f.links_[j].father;
    const int32_t mother = f.links_[j].mother;
    if (father == kUnknownParent && mother == kUnknownParent) {
      nc[j] = native[j];
      f.q_[j] = f_own[j] = 0.5 * nc[j];
      g.q_[j] = nc[j] - nc[j] * nc[j];
      g_own[j] = nc[j];
      continue;
    }
    if (father != kUnknownParent && mother != kUnknownParent) {
      const auto s = static_cast<std::size_t>(father);
      const auto d = static_cast<std::size_t>(mother);
      nc[j] = 0.5 * (nc[s] + nc[d]);
      f.q_[j] = 0.5 * nc[j] - 0.25 * (f_own[s] + f_own[d]);
      g.q_[j] = 0.5 * nc[j] - 0.25 * (g_own[s] + g_own[d]);
    } else {
      const auto p = static_cast<std::size_t>(father == kUnknownParent ? mother : father);
      const double own = std::clamp(2.0 * native[j] - nc[p], 0.0, 1.0);
      nc[j] = 0.5 * (nc[p] + own);
      f.q_[j] = 0.5 * nc[j] - 0.25 * f_own[p];
      g.q_[j] = 0.5 * nc[j] - 0.25 * g_own[p] - 0.25 * own * own;
    }
    const uint64_t key = PairKey(father, mother);
    auto known = above.find(key);
    if (known == above.end()) {
      for (int32_t parent : {father, mother}) {
        if (parent != kUnknownParent) walk.Seed(parent, 0.5);
      }
      known = above.emplace(key, walk.Sum(f.q_, g.q_)).first;
    }
    f_own[j] = f.q_[j] + known->second.first;
    g_own[j] = g.q_[j] + known->second.second + nc[j] * nc[j];
  }
}

std::vector<double> KinshipProduct::Times(const std::vector<double>& x) const {
  const std::size_t n = links_.size();
  std::vector<double> u(n, 0.0);
  for (int32_t animal : order_) {
    const auto a = static_cast<std::size_t>(animal);
    u[a] = x[a];
  }
  for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
    const auto a = static_cast<std::size_t>(*it);
    for (int32_t parent : {links_[a].father, links_[a].mother}) {
      if (parent != kUnknownParent) u[static_cast<std::size_t>(parent)] += 0.5 * u[a];
    }
  }
  double rank_one = 0.0;
  if (rank_one_) {
    for (int32_t animal : order_) {
      const auto a = static_cast<std::size_t>(animal);
      rank_one += fractions_[a] * x[a];
    }
  }
  for (int32_t animal : order_) {
    const auto a = static_cast<std::size_t>(animal);
    double w = q_[a] * u[a];
    for (int32_t parent : {links_[a].father, links_[a].mother}) {
      if (parent != kUnknownParent) w += 0.5 * u[static_cast<std::size_t>(parent)];
    }
    u[a] = w;  // parents first: u[parent] already holds (T Q T' x)[parent]
  }
  if (rank_one_) {
    for (int32_t animal : order_) {
      const auto a = static_cast<std::size_t>(animal);
      u[a] += fractions_[a] * rank_one;
    }
  }
  return u;
}

std::optional<double> MeanKinship(const std::vector<ParentLinks>& links,
                                  const AncestryFigures& figures,
                                  const std::vector<bool>& members) {
  std::vector<double> x(links.size(), 0.0);
  double count = 0.0;
  for (std::size_t i = 0; i < links.size() && i < members.size(); ++i) {
    if (members[i] && figures.resolved[i]) {
      x[i] = 1.0;
      ++count;
    }
  }
  if (count == 0.0) return std::nullopt;
  const std::vector<double> f = KinshipProduct::Kinship(links, figures).Times(x);
  double sum = 0.0;
  for (std::size_t i = 0; i < links.size(); ++i) sum += f[i] * x[i];
  return sum / (count * count);
}

std::vector<double> BreedFractionOf(const AnimalTable& table, std::size_t breed) {
  std::vector<double> fractions(table.links.size(), 0.0);
  for (const AnimalRow& row : table.rows) {
    if (row.copy_of != 0 || row.source < 1 || row.fractions.size() <= breed) continue;
    fractions[static_cast<std::size_t>(row.source - 1)] = row.fractions[breed];
  }
  return fractions;
}

namespace {

struct Candidate {
  const AnimalRow* row = nullptr;
  std::string name;
};

std::string NameOf(const ObservedRun& run, const AnimalRow& row) {
  const std::string id = run.Id(row.ini_id);
  return id.empty() ? std::to_string(row.family) + ":" + std::to_string(row.individual) : id;
}

// The candidates, or the problem (one line).
std::string ChooseCandidates(const ObservedRun& run, const AnimalTable& table,
                             const KinshipRequest& request, std::vector<Candidate>* chosen) {
  std::vector<bool> taken(table.links.size(), false);
  const auto take = [&](const AnimalRow& row) {
    const auto a = static_cast<std::size_t>(row.source - 1);
    if (taken[a]) return;
    taken[a] = true;
    chosen->push_back({&row, NameOf(run, row)});
  };
  if (!request.candidates_name.empty()) {
    const AnimalLookup lookup(run, table);
    for (const ListedId& listed : ParseIdList(request.candidates_text)) {
      const AnimalRow* row = lookup.Find(listed.id);
      const std::string where = request.candidates_name + ":" + std::to_string(listed.line) + ": " +
                                EscapeControlBytes(CutForMessage(listed.id));
      if (row == nullptr) {
        return where + " names no animal (a herd-book id of ids.csv or FAMILY:INDIVIDUAL)";
      }
      if (row->dummy) return where + " is a dummy parent the import added, not an animal";
      if (!row->has_figures) return where + " is its own ancestor or descends from one";
      take(*row);
    }
  } else {
    if (request.born_from && !run.HasBirthYears()) {
      return "ids.csv gives no year of birth (its column born), so --born-from cannot choose";
    }
    for (const AnimalRow& row : table.rows) {
      if (row.copy_of != 0 || row.dummy || !row.has_figures) continue;
      if (request.born_from) {
        const std::optional<int32_t> year = run.BirthYear(row.ini_id);
        if (!year || *year < *request.born_from) continue;
      }
      take(row);
    }
  }
  if (chosen->empty()) return "no animal is a candidate";
  return "";
}

}  // namespace

int RunKinship(FileSystem& folder, const KinshipRequest& request, std::ostream& out,
               std::ostream& err) {
  std::unique_ptr<ObservedRun> run;
  AnimalTable table;
  if (const int status = ObserveAnimalTable(folder, "kinship", err, &run, &table);
      status != kExitSuccess) {
    return status;
  }
  std::size_t breed = 0;
  if (!request.native.empty()) {
    const auto it = std::find(table.breeds.begin(), table.breeds.end(), request.native);
    if (it == table.breeds.end()) {
      err << "pedprep kinship: no breed " << EscapeControlBytes(request.native)
          << " in the breed legend; the breeds:";
      for (const std::string& name : table.breeds) err << " " << EscapeControlBytes(name);
      err << "\n";
      return kExitStopped;
    }
    breed = static_cast<std::size_t>(it - table.breeds.begin());
    if (run->blood_rows.empty()) {
      err << "pedprep kinship: the run stops before the breed fractions are known: "
          << StopExplanation(*run) << "\n";
      return kExitStopped;
    }
  }
  std::vector<Candidate> candidates;
  const std::string problem = ChooseCandidates(*run, table, request, &candidates);
  if (!problem.empty()) {
    err << "pedprep kinship: " << problem << "\n";
    return kExitStopped;
  }

  const std::size_t n = table.links.size();
  const auto count = static_cast<double>(candidates.size());
  std::vector<double> x(n, 0.0);
  for (const Candidate& c : candidates) x[static_cast<std::size_t>(c.row->source - 1)] = 1.0;
  const auto total = [&](const std::vector<double>& column) {
    double sum = 0.0;
    for (const Candidate& c : candidates)
      sum += column[static_cast<std::size_t>(c.row->source - 1)];
    return sum;
  };
  const std::vector<double> f = KinshipProduct::Kinship(table.links, table.figures).Times(x);
  const double mean = total(f) / (count * count);

  std::vector<double> fn;
  std::vector<double> g;
  std::vector<double> native;
  if (!request.native.empty()) {
    KinshipProduct identical;
    KinshipProduct both;
    KinshipProduct::Native(table.links, table.figures, BreedFractionOf(table, breed), &identical,
                           &both);
    fn = identical.Times(x);
    g = both.Times(x);
    native = both.fractions();
  }
  const auto ratio = [](double top, double bottom) {
    return bottom > 0.0 ? FixedDecimals(top / bottom, 6) : std::string();
  };

  std::vector<std::string> header = {"id", "mean_kinship"};
  if (!request.native.empty()) {
    header.emplace_back("native_contribution");
    header.emplace_back("native_kinship");
  }
  std::vector<std::pair<double, std::vector<std::string>>> rows;
  for (const Candidate& c : candidates) {
    const auto a = static_cast<std::size_t>(c.row->source - 1);
    std::vector<std::string> row = {c.name, FixedDecimals(f[a] / count, 6)};
    if (!request.native.empty()) {
      row.push_back(FixedDecimals(native[a], 6));
      row.push_back(ratio(fn[a], g[a]));
    }
    rows.emplace_back(f[a], std::move(row));
  }
  std::ostringstream overall;
  overall << "candidates: " << CountText(static_cast<long long>(candidates.size())) << "\n";
  overall << "mean kinship: " << FixedDecimals(mean, 6) << "\n";
  overall << "gene diversity: " << FixedDecimals(1.0 - mean, 6) << "\n";
  overall << "founder genome equivalents: "
          << (mean > 0.0 ? FixedDecimals(1.0 / (2.0 * mean), 4) : std::string("not available"))
          << "\n";
  if (!request.native.empty()) {
    double contribution = 0.0;
    for (const Candidate& c : candidates) {
      contribution += native[static_cast<std::size_t>(c.row->source - 1)];
    }
    const std::string kin = ratio(total(fn), total(g));
    overall << "native contribution: " << FixedDecimals(contribution / count, 6) << "\n";
    overall << "native kinship: " << (kin.empty() ? "not available (no native genes)" : kin)
            << "\n";
  }

  std::ostringstream text;
  if (request.csv) {
    text << CsvLine(header);
    for (const auto& row : rows) text << CsvLine(row.second);
  } else {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    text << overall.str() << "\n";
    std::vector<bool> left(header.size(), false);
    left[0] = true;
    Table aligned(header, left);
    for (auto& row : rows) {
      row.second[0] = EscapeControlBytes(row.second[0]);
      aligned.Add(std::move(row.second));
    }
    aligned.Print(text);
  }
  out << text.str();
  if (request.csv) err << overall.str();
  if (run->status != kExitSuccess) {
    err << "pedprep kinship: the run stops (" << StopExplanation(*run)
        << "); the figures are of the pedigree as read\n";
  }
  return kExitSuccess;
}

}  // namespace pedprep
