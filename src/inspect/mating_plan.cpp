#include "inspect/mating_plan.h"

// LEMON's templates alone, without its compiled library.
#define LEMON_ONLY_TEMPLATES
#include <lemon/network_simplex.h>
#include <lemon/smart_graph.h>

#include <cmath>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "core/exit_status.h"
#include "inspect/animals.h"
#include "inspect/founders_report.h"
#include "inspect/kinship.h"
#include "inspect/observed_run.h"
#include "inspect/report.h"
#include "inspect/text_table.h"
#include "records/csv.h"
#include "records/escape.h"
#include "records/id_list.h"

namespace pedprep {

std::vector<int32_t> LeastCostPlan(const std::vector<std::vector<double>>& cost,
                                   int32_t max_per_sire) {
  const std::size_t sires = cost.size();
  const std::size_t dams = sires == 0 ? 0 : cost[0].size();
  if (dams == 0) return {};
  if (max_per_sire < 1 || static_cast<double>(sires) * max_per_sire < static_cast<double>(dams)) {
    return {};
  }
  using Graph = lemon::SmartDigraph;
  Graph graph;
  graph.reserveNode(static_cast<int>(sires + dams + 1));
  graph.reserveArc(static_cast<int>(sires * dams + sires));
  const Graph::Node source = graph.addNode();
  std::vector<Graph::Node> sire_nodes;
  std::vector<Graph::Node> dam_nodes;
  for (std::size_t s = 0; s < sires; ++s) sire_nodes.push_back(graph.addNode());
  for (std::size_t d = 0; d < dams; ++d) dam_nodes.push_back(graph.addNode());
  Graph::ArcMap<int64_t> upper(graph);
  Graph::ArcMap<int64_t> price(graph);
  Graph::NodeMap<int64_t> supply(graph, -1);
  supply[source] = static_cast<int64_t>(dams);
  for (std::size_t s = 0; s < sires; ++s) {
    supply[sire_nodes[s]] = 0;
    const Graph::Arc arc = graph.addArc(source, sire_nodes[s]);
    upper[arc] = max_per_sire;
    price[arc] = 0;
  }
  std::vector<Graph::Arc> arcs;
  arcs.reserve(sires * dams);
  for (std::size_t s = 0; s < sires; ++s) {
    for (std::size_t d = 0; d < dams; ++d) {
      const Graph::Arc arc = graph.addArc(sire_nodes[s], dam_nodes[d]);
      upper[arc] = 1;
      price[arc] = std::llround(cost[s][d] * 1e12);
      arcs.push_back(arc);
    }
  }
  lemon::NetworkSimplex<Graph, int64_t, int64_t> simplex(graph);
  simplex.upperMap(upper).costMap(price).supplyMap(supply);
  if (simplex.run() != lemon::NetworkSimplex<Graph, int64_t, int64_t>::OPTIMAL) return {};
  std::vector<int32_t> sire_of(dams, -1);
  for (std::size_t s = 0; s < sires; ++s) {
    for (std::size_t d = 0; d < dams; ++d) {
      if (simplex.flow(arcs[s * dams + d]) > 0) sire_of[d] = static_cast<int32_t>(s);
    }
  }
  return sire_of;
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

int RunMatePlan(FileSystem& folder, const MateRequest& request, std::ostream& out,
                std::ostream& err) {
  std::unique_ptr<ObservedRun> run;
  AnimalTable table;
  if (const int status = ObserveAnimalTable(folder, "mate", err, &run, &table);
      status != kExitSuccess) {
    return status;
  }
  const AnimalLookup lookup(*run, table);
  std::vector<std::string> problems;
  const std::vector<Listed> sires =
      ListedAnimals(lookup, request.sires_name, request.sires_text, 1, &problems);
  const std::vector<Listed> dams =
      ListedAnimals(lookup, request.dams_name, request.dams_text, 2, &problems);
  const auto sire_count = static_cast<int64_t>(sires.size());
  const auto dam_count = static_cast<int64_t>(dams.size());
  const int64_t most = request.max_per_sire > 0 || sire_count == 0
                           ? request.max_per_sire
                           : (dam_count + sire_count - 1) / sire_count;
  if (problems.empty() && sire_count * most < dam_count) {
    const auto count = [](int64_t n, const char* word) {
      return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
    };
    problems.push_back(count(sire_count, "sire") + " with at most " + count(most, "dam") +
                       " each cannot serve " + count(dam_count, "dam") + " (--max-per-sire)");
  }
  for (const std::string& problem : problems) err << "pedprep mate: " << problem << "\n";
  if (!problems.empty()) return kExitUsage;

  // The calves' F: each sire's kinship with every animal, one product per sire.
  const KinshipProduct kinship = KinshipProduct::Kinship(table.links, table.figures);
  std::vector<std::vector<double>> cost(sires.size(), std::vector<double>(dams.size()));
  std::vector<double> x(table.links.size(), 0.0);
  double all_pairs = 0.0;
  for (std::size_t s = 0; s < sires.size(); ++s) {
    const auto a = static_cast<std::size_t>(sires[s].row->source - 1);
    x[a] = 1.0;
    const std::vector<double> column = kinship.Times(x);
    x[a] = 0.0;
    for (std::size_t d = 0; d < dams.size(); ++d) {
      cost[s][d] = column[static_cast<std::size_t>(dams[d].row->source - 1)];
      all_pairs += cost[s][d];
    }
  }
  const std::vector<int32_t> sire_of = LeastCostPlan(cost, static_cast<int32_t>(most));
  if (sire_of.size() != dams.size()) {
    err << "pedprep mate: no plan found\n";
    return kExitInternal;
  }

  const std::vector<std::string> header = {"dam", "sire", "F"};
  std::vector<std::vector<std::string>> rows;
  double planned = 0.0;
  for (std::size_t d = 0; d < dams.size(); ++d) {
    const auto s = static_cast<std::size_t>(sire_of[d]);
    planned += cost[s][d];
    rows.push_back({dams[d].text, sires[s].text, FixedDecimals(cost[s][d], 6)});
  }
  std::ostringstream means;
  means << "mean F of the plan: " << FixedDecimals(planned / static_cast<double>(dam_count), 6)
        << "\n"
        << "mean F of random mating: "
        << FixedDecimals(all_pairs / static_cast<double>(dam_count * sire_count), 6) << "\n";
  std::ostringstream text;
  if (request.csv) {
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
  if (request.csv) err << means.str();
  if (run->status != kExitSuccess) {
    err << "pedprep mate: the run stops (" << StopExplanation(*run)
        << "); the figures are of the pedigree as read\n";
  }
  return kExitSuccess;
}

}  // namespace pedprep
