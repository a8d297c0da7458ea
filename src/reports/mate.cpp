#include "reports/mate.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <set>
#include <sstream>
#include <vector>

#include "core/exit_status.h"
#include "figures/animal_table.h"
#include "figures/inbreeding.h"
#include "figures/run_facts.h"
#include "reading/observed_run.h"
#include "records/csv.h"
#include "records/escape.h"
#include "records/id_list.h"
#include "records/input_error.h"
#include "records/text_table.h"
#include "reports/mating_plan.h"

namespace pedprep {
namespace {

struct Mating {
  std::string where;  // "" for --sire/--dam, else "FILE:LINE: "
  std::string sire_text, dam_text;
  std::string sire_where, dam_where;  // where each parent's problem is told (ranking)
  const AnimalRow* sire = nullptr;
  const AnimalRow* dam = nullptr;
};

// The pairs asked for, or problems (one line each) on `problems`.
std::vector<Mating> Matings(const MateRequest& request, const AnimalLookup& lookup,
                            std::vector<std::string>* problems) {
  std::vector<Mating> matings;
  if (!request.sires_name.empty() || !request.dams_name.empty()) {
    const bool sires = !request.sires_name.empty();
    const std::string& name = sires ? request.sires_name : request.dams_name;
    for (const ListedId& listed : ParseIdList(sires ? request.sires_text : request.dams_text)) {
      const std::string where = name + ":" + std::to_string(listed.line) + ": ";
      if (sires) {
        matings.push_back({where, listed.id, request.dam, where, ""});
      } else {
        matings.push_back({where, request.sire, listed.id, "", where});
      }
    }
  } else if (request.pairs_name.empty()) {
    matings.push_back({"", request.sire, request.dam, "", ""});
  } else {
    for (const ListedPair& pair : ParseIdPairs(request.pairs_text, request.pairs_name)) {
      const std::string where = request.pairs_name + ":" + std::to_string(pair.line) + ": ";
      matings.push_back({where, pair.sire, pair.dam, where, where});
    }
  }
  std::set<std::string> told;
  for (Mating& m : matings) {
    m.sire = lookup.Find(m.sire_text);
    m.dam = lookup.Find(m.dam_text);
    const auto check = [&](const AnimalRow* row, const std::string& text, int32_t sex,
                           const char* role) {
      const std::string name = EscapeControlBytes(text);
      const std::string& where = sex == 1 ? m.sire_where : m.dam_where;
      const auto told_before = problems->size();
      if (row == nullptr) {
        problems->push_back(where + "no animal " + name +
                            " (a herd-book id of ids.csv or FAMILY:INDIVIDUAL)" +
                            lookup.NearestNote(text));
      } else if (row->dummy) {
        problems->push_back(where + name + " is a dummy parent the import added, not an animal");
      } else if (!row->has_figures) {
        problems->push_back(where + name +
                            " is its own ancestor or descends from one: no inbreeding");
      } else if (row->sex != sex) {
        problems->push_back(where + name + " is " + (sex == 1 ? "female" : "male") + ", not a " +
                            role);
      }
      // The one animal of a ranking is told of once.
      if (problems->size() > told_before && !told.insert(problems->back()).second) {
        problems->pop_back();
      }
    };
    check(m.sire, m.sire_text, 1, "sire");
    check(m.dam, m.dam_text, 2, "dam");
  }
  return matings;
}

// The rows in the order of `matings`, or the least inbred calf first when `ranked`.
std::vector<std::vector<std::string>> Rows(const AnimalTable& table,
                                           const std::vector<Mating>& matings, bool ranked) {
  CalfInbreeding calf(table.links, table.figures);
  std::vector<double> inbreeding;
  for (const Mating& m : matings) {
    inbreeding.push_back(calf.Of(m.sire->source - 1, m.dam->source - 1));
  }
  std::vector<std::size_t> order(matings.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (ranked) {
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return inbreeding[a] < inbreeding[b]; });
  }
  std::vector<std::vector<std::string>> rows;
  for (std::size_t k : order) {
    const Mating& m = matings[k];
    const double f = inbreeding[k];
    std::vector<std::string> row = {m.sire_text, m.dam_text, FixedDecimals(f, 6)};
    std::vector<double> fractions;
    if (m.sire->fractions.size() == table.breeds.size() &&
        m.dam->fractions.size() == table.breeds.size()) {
      for (std::size_t k = 0; k < table.breeds.size(); ++k) {
        fractions.push_back(0.5 * (m.sire->fractions[k] + m.dam->fractions[k]));
      }
    }
    std::vector<std::string> shown = ShownFractions(fractions);
    shown.resize(table.breeds.size());
    row.insert(row.end(), shown.begin(), shown.end());
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

int RunMate(const RunFacts& facts, const MateRequest& request, std::ostream& out,
            std::ostream& err) {
  if (request.plan) return RunMatePlan(facts, request, out, err);
  const AnimalTable* found = facts.AnimalsOrFault("mate", err);
  if (found == nullptr) return kExitInternal;
  const AnimalTable& table = *found;
  if (facts.run().blood_rows.empty()) {
    err << "pedprep mate: the run stops before the breed fractions are known: " << facts.StopText()
        << "\n";
    return kExitStopped;
  }
  std::vector<std::string> problems;
  std::vector<Mating> matings;
  try {
    matings = Matings(request, facts.Lookup(), &problems);
  } catch (const InputError& error) {
    err << error.Report() << "\n";
    return kExitInputError;
  }
  for (const std::string& problem : problems) err << "pedprep mate: " << problem << "\n";
  if (!problems.empty()) return kExitStopped;

  std::vector<std::string> header = {"sire", "dam", "inbreeding"};
  header.insert(header.end(), table.breeds.begin(), table.breeds.end());
  const bool ranked = !request.sires_name.empty() || !request.dams_name.empty();
  const std::vector<std::vector<std::string>> rows = Rows(table, matings, ranked);
  std::ostringstream text;
  if (request.csv || !request.pairs_name.empty()) {
    text << CsvLine(header);
    for (const auto& row : rows) text << CsvLine(row);
  } else {
    std::vector<bool> left(header.size(), false);
    left[0] = left[1] = true;
    Table aligned(header, left);
    for (auto row : rows) {
      row[0] = EscapeControlBytes(row[0]);
      row[1] = EscapeControlBytes(row[1]);
      aligned.Add(std::move(row));
    }
    aligned.Print(text);
  }
  out << text.str();
  if (facts.run().status != kExitSuccess) {
    err << "pedprep mate: the run stops (" << facts.StopText()
        << "); the figures are of the pedigree as read\n";
  }
  return kExitSuccess;
}

}  // namespace pedprep
