#include "reports/kinship.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <sstream>
#include <unordered_map>
#include <utility>

#include "core/exit_status.h"
#include "figures/animal_table.h"
#include "figures/run_facts.h"
#include "reading/observed_run.h"
#include "records/count_text.h"
#include "records/csv.h"
#include "records/escape.h"
#include "records/id_list.h"
#include "records/text_table.h"

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
std::string ChooseCandidates(const RunFacts& facts, const KinshipRequest& request,
                             std::vector<Candidate>* chosen) {
  const ObservedRun& run = facts.run();
  const AnimalTable& table = *facts.Animals();
  std::vector<bool> taken(table.links.size(), false);
  const auto take = [&](const AnimalRow& row) {
    const auto a = static_cast<std::size_t>(row.source - 1);
    if (taken[a]) return;
    taken[a] = true;
    chosen->push_back({&row, NameOf(run, row)});
  };
  if (!request.candidates_name.empty()) {
    for (const ListedId& listed : ParseIdList(request.candidates_text)) {
      const AnimalRow* row = facts.Lookup().Find(listed.id);
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

// The index of --native's breed among the table's, or the problem (one line) with nothing
// chosen when the breed is not one of the legend or the run stops before the fractions.
std::string NativeBreed(const RunFacts& facts, const std::string& native, std::size_t* breed) {
  const std::vector<std::string>& breeds = facts.Animals()->breeds;
  const auto it = std::find(breeds.begin(), breeds.end(), native);
  if (it == breeds.end()) {
    std::string problem =
        "no breed " + EscapeControlBytes(native) + " in the breed legend; the breeds:";
    for (const std::string& name : breeds) problem += " " + EscapeControlBytes(name);
    return problem;
  }
  *breed = static_cast<std::size_t>(it - breeds.begin());
  if (facts.run().blood_rows.empty()) {
    return "the run stops before the breed fractions are known: " + facts.StopText();
  }
  return "";
}

// Per animal of the pedigree: the candidates' kinship sums (f x), and with --native fN x, g x
// and the native fractions.
struct KinshipColumns {
  std::vector<double> f, fn, g, native;
};

KinshipColumns Columns(const AnimalTable& table, const std::vector<Candidate>& candidates,
                       const std::optional<std::size_t>& breed) {
  std::vector<double> x(table.links.size(), 0.0);
  for (const Candidate& c : candidates) x[static_cast<std::size_t>(c.row->source - 1)] = 1.0;
  KinshipColumns columns;
  columns.f = KinshipProduct::Kinship(table.links, table.figures).Times(x);
  if (breed) {
    KinshipProduct identical;
    KinshipProduct both;
    KinshipProduct::Native(table.links, table.figures, BreedFractionOf(table, *breed), &identical,
                           &both);
    columns.fn = identical.Times(x);
    columns.g = both.Times(x);
    columns.native = both.fractions();
  }
  return columns;
}

std::string Ratio(double top, double bottom) {
  return bottom > 0.0 ? FixedDecimals(top / bottom, 6) : std::string();
}

// The overall lines.
std::string Overall(const std::vector<Candidate>& candidates, const KinshipColumns& columns,
                    bool native) {
  const auto count = static_cast<double>(candidates.size());
  const auto total = [&](const std::vector<double>& column) {
    double sum = 0.0;
    for (const Candidate& c : candidates)
      sum += column[static_cast<std::size_t>(c.row->source - 1)];
    return sum;
  };
  const double mean = total(columns.f) / (count * count);
  std::ostringstream overall;
  overall << "candidates: " << CountText(static_cast<long long>(candidates.size())) << "\n";
  overall << "mean kinship: " << FixedDecimals(mean, 6) << "\n";
  overall << "gene diversity: " << FixedDecimals(1.0 - mean, 6) << "\n";
  overall << "founder genome equivalents: "
          << (mean > 0.0 ? FixedDecimals(1.0 / (2.0 * mean), 4) : std::string("not available"))
          << "\n";
  if (native) {
    const std::string kin = Ratio(total(columns.fn), total(columns.g));
    overall << "native contribution: " << FixedDecimals(total(columns.native) / count, 6) << "\n";
    overall << "native kinship: " << (kin.empty() ? "not available (no native genes)" : kin)
            << "\n";
  }
  return overall.str();
}

// The candidates' table: in their order as CSV, else aligned, lowest mean kinship first.
std::string CandidateTable(const std::vector<Candidate>& candidates, const KinshipColumns& columns,
                           bool native, bool csv) {
  const auto count = static_cast<double>(candidates.size());
  std::vector<std::string> header = {"id", "mean_kinship"};
  if (native) {
    header.emplace_back("native_contribution");
    header.emplace_back("native_kinship");
  }
  std::vector<std::pair<double, std::vector<std::string>>> rows;
  for (const Candidate& c : candidates) {
    const auto a = static_cast<std::size_t>(c.row->source - 1);
    std::vector<std::string> row = {c.name, FixedDecimals(columns.f[a] / count, 6)};
    if (native) {
      row.push_back(FixedDecimals(columns.native[a], 6));
      row.push_back(Ratio(columns.fn[a], columns.g[a]));
    }
    rows.emplace_back(columns.f[a], std::move(row));
  }
  std::ostringstream text;
  if (csv) {
    text << CsvLine(header);
    for (const auto& row : rows) text << CsvLine(row.second);
    return text.str();
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<bool> left(header.size(), false);
  left[0] = true;
  Table aligned(header, left);
  for (auto& row : rows) {
    row.second[0] = EscapeControlBytes(row.second[0]);
    aligned.Add(std::move(row.second));
  }
  aligned.Print(text);
  return text.str();
}

}  // namespace

int RunKinship(const RunFacts& facts, const KinshipRequest& request, std::ostream& out,
               std::ostream& err) {
  const AnimalTable* table = facts.AnimalsOrFault("kinship", err);
  if (table == nullptr) return kExitInternal;
  std::optional<std::size_t> breed;
  if (!request.native.empty()) {
    breed = 0;
    if (const std::string problem = NativeBreed(facts, request.native, &*breed); !problem.empty()) {
      err << "pedprep kinship: " << problem << "\n";
      return kExitStopped;
    }
  }
  std::vector<Candidate> candidates;
  if (const std::string problem = ChooseCandidates(facts, request, &candidates); !problem.empty()) {
    err << "pedprep kinship: " << problem << "\n";
    return kExitStopped;
  }
  const KinshipColumns columns = Columns(*table, candidates, breed);
  const std::string overall = Overall(candidates, columns, breed.has_value());
  const std::string listed = CandidateTable(candidates, columns, breed.has_value(), request.csv);
  if (request.csv) {
    out << listed;
    err << overall;
  } else {
    out << overall << "\n" << listed;
  }
  if (facts.run().status != kExitSuccess) {
    err << "pedprep kinship: the run stops (" << facts.StopText()
        << "); the figures are of the pedigree as read\n";
  }
  return kExitSuccess;
}

}  // namespace pedprep
