#include "reports/mating_plan.h"

// LEMON's templates alone, without its compiled library.
#define LEMON_ONLY_TEMPLATES
#include <lemon/network_simplex.h>
#include <lemon/smart_graph.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "core/exit_status.h"
#include "figures/animal_table.h"
#include "figures/run_facts.h"
#include "reading/observed_run.h"
#include "records/count_text.h"
#include "records/csv.h"
#include "records/escape.h"
#include "records/id_list.h"
#include "records/text_table.h"
#include "reports/kinship.h"

namespace pedprep {

namespace {

// The most sire-dam pairs of one plan (some 100 to 200 bytes of memory each).
constexpr int64_t kMostPairs = 10'000'000;

using Costs = std::vector<std::vector<double>>;
using Graph = lemon::SmartDigraph;
using Simplex = lemon::NetworkSimplex<Graph, int64_t, int64_t>;

// Costs in units of 1e-12.
int64_t Units(double value) { return std::llround(value * 1e12); }

}  // namespace

std::vector<int32_t> LeastCostPlan(const std::vector<std::vector<double>>& cost,
                                   int32_t max_per_sire,
                                   const std::vector<std::vector<double>>& tie_cost) {
  const std::size_t sires = cost.size();
  const std::size_t dams = sires == 0 ? 0 : cost[0].size();
  if (dams == 0) return {};
  if (max_per_sire < 1 || static_cast<double>(sires) * max_per_sire < static_cast<double>(dams)) {
    return {};
  }
  Graph graph;
  graph.reserveNode(static_cast<int>(sires + dams + 1));
  graph.reserveArc(static_cast<int>(sires * dams + sires));
  const Graph::Node source = graph.addNode();
  std::vector<Graph::Node> sire_nodes;
  std::vector<Graph::Node> dam_nodes;
  for (std::size_t s = 0; s < sires; ++s) sire_nodes.push_back(graph.addNode());
  for (std::size_t d = 0; d < dams; ++d) dam_nodes.push_back(graph.addNode());
  Graph::ArcMap<int64_t> lower(graph, 0);
  Graph::ArcMap<int64_t> upper(graph);
  Graph::ArcMap<int64_t> price(graph, 0);
  Graph::ArcMap<int64_t> tie(graph, 0);
  Graph::NodeMap<int64_t> supply(graph, -1);
  supply[source] = static_cast<int64_t>(dams);
  for (std::size_t s = 0; s < sires; ++s) {
    supply[sire_nodes[s]] = 0;
    upper[graph.addArc(source, sire_nodes[s])] = max_per_sire;
  }
  std::vector<Graph::Arc> arcs;
  arcs.reserve(sires * dams);
  for (std::size_t s = 0; s < sires; ++s) {
    for (std::size_t d = 0; d < dams; ++d) {
      const Graph::Arc arc = graph.addArc(sire_nodes[s], dam_nodes[d]);
      upper[arc] = 1;
      price[arc] = Units(cost[s][d]);
      if (!tie_cost.empty()) tie[arc] = Units(tie_cost[s][d]);
      arcs.push_back(arc);
    }
  }
  const auto plan_of = [&](const Simplex& solved) {
    std::vector<int32_t> sire_of(dams, -1);
    for (std::size_t s = 0; s < sires; ++s) {
      for (std::size_t d = 0; d < dams; ++d) {
        if (solved.flow(arcs[s * dams + d]) > 0) sire_of[d] = static_cast<int32_t>(s);
      }
    }
    return sire_of;
  };
  Simplex simplex(graph);
  simplex.upperMap(upper).costMap(price).supplyMap(supply);
  if (simplex.run() != Simplex::OPTIMAL) return {};
  if (tie_cost.empty()) return plan_of(simplex);
  // The least-cost flows are those that leave every arc of positive reduced cost empty and
  // fill every arc of negative reduced cost (whole units, so the test is exact); among them,
  // the one of least tie cost.
  for (Graph::ArcIt arc(graph); arc != lemon::INVALID; ++arc) {
    const int64_t reduced =
        price[arc] + simplex.potential(graph.source(arc)) - simplex.potential(graph.target(arc));
    if (reduced > 0) upper[arc] = 0;
    if (reduced < 0) lower[arc] = upper[arc];
  }
  Simplex second(graph);
  second.lowerMap(lower).upperMap(upper).costMap(tie).supplyMap(supply);
  if (second.run() != Simplex::OPTIMAL) return {};
  return plan_of(second);
}

namespace {

struct Listed {
  std::string text;
  const AnimalRow* row = nullptr;
};

// The animals of a list of ids, each checked; problems (one line each) on `problems`.
std::vector<Listed> ListedAnimals(const AnimalLookup& lookup, const std::string& name,
                                  const std::string& text, int32_t sex,
                                  std::vector<std::string>* problems) {
  std::vector<Listed> animals;
  std::set<const AnimalRow*> seen;
  for (const ListedId& listed : ParseIdList(text)) {
    const std::string where = name + ":" + std::to_string(listed.line) + ": " +
                              EscapeControlBytes(CutForMessage(listed.id));
    const AnimalRow* row = lookup.Find(listed.id);
    if (row == nullptr) {
      problems->push_back(where + " names no animal (a herd-book id of ids.csv or " +
                          "FAMILY:INDIVIDUAL)");
    } else if (row->dummy) {
      problems->push_back(where + " is a dummy parent the import added, not an animal");
    } else if (!row->has_figures) {
      problems->push_back(where + " is its own ancestor or descends from one: no inbreeding");
    } else if (row->sex != sex) {
      problems->push_back(where + " is " + (sex == 1 ? "female, not a sire" : "male, not a dam"));
    } else if (!seen.insert(row).second) {
      problems->push_back(where + " is listed twice");
    } else {
      animals.push_back({listed.id, row});
    }
  }
  if (animals.empty() && problems->empty()) {
    problems->push_back(name + " names no " + (sex == 1 ? "sire" : "dam"));
  }
  return animals;
}

}  // namespace

namespace {

// The sires and dams of the request, checked, with the most dams a sire gets; problems (one
// line each) on `problems`.
struct PlanAnimals {
  std::vector<Listed> sires;
  std::vector<Listed> dams;
  int64_t most = 0;
};

PlanAnimals CheckedAnimals(const RunFacts& facts, const MateRequest& request,
                           std::vector<std::string>* problems) {
  PlanAnimals plan;
  plan.sires = ListedAnimals(facts.Lookup(), request.sires_name, request.sires_text, 1, problems);
  plan.dams = ListedAnimals(facts.Lookup(), request.dams_name, request.dams_text, 2, problems);
  const auto sire_count = static_cast<int64_t>(plan.sires.size());
  const auto dam_count = static_cast<int64_t>(plan.dams.size());
  plan.most = request.max_per_sire > 0 || sire_count == 0
                  ? request.max_per_sire
                  : (dam_count + sire_count - 1) / sire_count;
  if (problems->empty() && sire_count * plan.most < dam_count) {
    problems->push_back(Counted(sire_count, "sire", "sires") + " with at most " +
                        Counted(plan.most, "dam", "dams") + " each cannot serve " +
                        Counted(dam_count, "dam", "dams") + " (--max-per-sire)");
  }
  if (problems->empty() && sire_count * dam_count > kMostPairs) {
    problems->push_back(CountText(sire_count) + " sires x " + CountText(dam_count) +
                        " dams are more than the " + CountText(kMostPairs) +
                        " pairs a plan may weigh: plan in smaller groups");
  }
  return plan;
}

// Each sire's kinship (fN and g with a native `breed`) with every dam, one product per sire:
// [product][sire][dam].
std::vector<Costs> PairFigures(const AnimalTable& table, const PlanAnimals& plan,
                               const std::optional<std::size_t>& breed) {
  std::vector<KinshipProduct> products = {KinshipProduct::Kinship(table.links, table.figures)};
  if (breed) {
    products.resize(3);
    KinshipProduct::Native(table.links, table.figures, BreedFractionOf(table, *breed), &products[1],
                           &products[2]);
  }
  const std::vector<Listed>& sires = plan.sires;
  const std::vector<Listed>& dams = plan.dams;
  std::vector<Costs> pairs(products.size(), Costs(sires.size(), std::vector<double>(dams.size())));
  std::vector<double> x(table.links.size(), 0.0);
  for (std::size_t s = 0; s < sires.size(); ++s) {
    const auto a = static_cast<std::size_t>(sires[s].row->source - 1);
    x[a] = 1.0;
    for (std::size_t k = 0; k < products.size(); ++k) {
      const std::vector<double> column = products[k].Times(x);
      for (std::size_t d = 0; d < dams.size(); ++d) {
        pairs[k][s][d] = column[static_cast<std::size_t>(dams[d].row->source - 1)];
      }
    }
    x[a] = 0.0;
  }
  return pairs;
}

// The plan's table on `out` and its means after it (on `err` with --csv).
void WritePlan(const PlanAnimals& plan, const std::vector<Costs>& pairs,
               const std::vector<int32_t>& sire_of, bool csv, std::ostream& out,
               std::ostream& err) {
  const std::vector<Listed>& sires = plan.sires;
  const std::vector<Listed>& dams = plan.dams;
  const Costs& cost = pairs[0];
  const std::vector<std::string> header = {"dam", "sire", "F"};
  std::vector<std::vector<std::string>> rows;
  // Sums over the plan's pairs and over every pair, per product.
  std::vector<double> planned(pairs.size(), 0.0);
  std::vector<double> random(pairs.size(), 0.0);
  for (std::size_t d = 0; d < dams.size(); ++d) {
    const auto s = static_cast<std::size_t>(sire_of[d]);
    for (std::size_t k = 0; k < pairs.size(); ++k) {
      planned[k] += pairs[k][s][d];
      for (std::size_t t = 0; t < sires.size(); ++t) random[k] += pairs[k][t][d];
    }
    rows.push_back({dams[d].text, sires[s].text, FixedDecimals(cost[s][d], 6)});
  }
  const auto dam_count = static_cast<double>(dams.size());
  const auto sire_count = static_cast<double>(sires.size());
  std::ostringstream means;
  means << "mean F of the plan: " << FixedDecimals(planned[0] / dam_count, 6) << "\n"
        << "mean F of random mating: " << FixedDecimals(random[0] / (dam_count * sire_count), 6)
        << "\n";
  if (pairs.size() > 1) {
    const auto ratio = [](double top, double bottom) {
      return bottom > 0.0 ? FixedDecimals(top / bottom, 6)
                          : std::string("not available (no native genes)");
    };
    means << "native kinship of the plan: " << ratio(planned[1], planned[2]) << "\n"
          << "native kinship of random mating: " << ratio(random[1], random[2]) << "\n";
  }
  std::ostringstream text;
  if (csv) {
    text << CsvLine(header);
    for (const auto& row : rows) text << CsvLine(row);
  } else {
    Table aligned(header, {true, true, false});
    for (auto row : rows) {
      row[0] = EscapeControlBytes(row[0]);
      row[1] = EscapeControlBytes(row[1]);
      aligned.Add(std::move(row));
    }
    aligned.Print(text);
    text << "\n" << means.str();
  }
  out << text.str();
  if (csv) err << means.str();
}

}  // namespace

int RunMatePlan(const RunFacts& facts, const MateRequest& request, std::ostream& out,
                std::ostream& err) {
  const AnimalTable* table = facts.AnimalsOrFault("mate", err);
  if (table == nullptr) return kExitInternal;
  std::vector<std::string> problems;
  const PlanAnimals plan = CheckedAnimals(facts, request, &problems);
  for (const std::string& problem : problems) err << "pedprep mate: " << problem << "\n";
  if (!problems.empty()) return kExitUsage;

  std::optional<std::size_t> breed;
  if (!request.native.empty()) {
    const auto it = std::find(table->breeds.begin(), table->breeds.end(), request.native);
    if (it == table->breeds.end()) {
      err << "pedprep mate: no breed " << EscapeControlBytes(request.native)
          << " in the breed legend (--native)\n";
      return kExitUsage;
    }
    if (facts.run().blood_rows.empty()) {
      err << "pedprep mate: the run stops before the breed fractions are known: "
          << facts.StopText() << "\n";
      return kExitStopped;
    }
    breed = static_cast<std::size_t>(it - table->breeds.begin());
  }
  const std::vector<Costs> pairs = PairFigures(*table, plan, breed);
  const std::vector<int32_t> sire_of =
      LeastCostPlan(pairs[0], static_cast<int32_t>(plan.most), breed ? pairs[1] : Costs{});
  if (sire_of.size() != plan.dams.size()) {
    err << "pedprep mate: no plan found\n";
    return kExitInternal;
  }
  WritePlan(plan, pairs, sire_of, request.csv, out, err);
  if (facts.run().status != kExitSuccess) {
    err << "pedprep mate: the run stops (" << facts.StopText()
        << "); the figures are of the pedigree as read\n";
  }
  return kExitSuccess;
}

}  // namespace pedprep
