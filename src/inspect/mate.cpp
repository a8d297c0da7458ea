#include "inspect/mate.h"

#include <memory>
#include <sstream>
#include <vector>

#include "core/exit_status.h"
#include "inspect/animals.h"
#include "inspect/founders_report.h"
#include "inspect/inbreeding.h"
#include "inspect/observed_run.h"
#include "inspect/stop_explanation.h"
#include "inspect/text_table.h"
#include "records/csv.h"
#include "records/escape.h"
#include "records/id_list.h"
#include "records/input_error.h"

namespace pedprep {
namespace {

struct Mating {
  std::string where;  // "" for --sire/--dam, else "FILE:LINE: "
  std::string sire_text, dam_text;
  const AnimalRow* sire = nullptr;
  const AnimalRow* dam = nullptr;
};

// The pairs asked for, or problems (one line each) on `problems`.
std::vector<Mating> Matings(const MateRequest& request, const AnimalLookup& lookup,
                            std::vector<std::string>* problems) {
  std::vector<Mating> matings;
  if (request.pairs_name.empty()) {
    matings.push_back({"", request.sire, request.dam});
  } else {
    for (const ListedPair& pair : ParseIdPairs(request.pairs_text, request.pairs_name)) {
      matings.push_back(
          {request.pairs_name + ":" + std::to_string(pair.line) + ": ", pair.sire, pair.dam});
    }
  }
  for (Mating& m : matings) {
    m.sire = lookup.Find(m.sire_text);
    m.dam = lookup.Find(m.dam_text);
    const auto check = [&](const AnimalRow* row, const std::string& text, int32_t sex,
                           const char* role) {
      const std::string name = EscapeControlBytes(text);
      if (row == nullptr) {
        problems->push_back(m.where + "no animal " + name +
                            " (a herd-book id of ids.csv or FAMILY:INDIVIDUAL)");
      } else if (row->dummy) {
        problems->push_back(m.where + name + " is a dummy parent the import added, not an animal");
      } else if (!row->has_figures) {
        problems->push_back(m.where + name +
                            " is its own ancestor or descends from one: no inbreeding");
      } else if (row->sex != sex) {
        problems->push_back(m.where + name + " is " + (sex == 1 ? "female" : "male") + ", not a " +
                            role);
      }
    };
    check(m.sire, m.sire_text, 1, "sire");
    check(m.dam, m.dam_text, 2, "dam");
  }
  return matings;
}

std::vector<std::vector<std::string>> Rows(const AnimalTable& table,
                                           const std::vector<Mating>& matings) {
  CalfInbreeding calf(table.links, table.figures);
  std::vector<std::vector<std::string>> rows;
  for (const Mating& m : matings) {
    const double f = calf.Of(m.sire->source - 1, m.dam->source - 1);
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

int RunMate(FileSystem& folder, const MateRequest& request, std::ostream& out, std::ostream& err) {
  std::unique_ptr<ObservedRun> run;
  AnimalTable table;
  if (const int status = ObserveAnimalTable(folder, "mate", err, &run, &table);
      status != kExitSuccess) {
    return status;
  }
  if (run->blood_rows.empty()) {
    err << "pedprep mate: the run stops before the breed fractions are known: "
        << StopExplanation(*run) << "\n";
    return kExitStopped;
  }
  const AnimalLookup lookup(*run, table);
  std::vector<std::string> problems;
  std::vector<Mating> matings;
  try {
    matings = Matings(request, lookup, &problems);
  } catch (const InputError& error) {
    err << error.Report() << "\n";
    return kExitInputError;
  }
  for (const std::string& problem : problems) err << "pedprep mate: " << problem << "\n";
  if (!problems.empty()) return kExitStopped;

  std::vector<std::string> header = {"sire", "dam", "inbreeding"};
  header.insert(header.end(), table.breeds.begin(), table.breeds.end());
  const std::vector<std::vector<std::string>> rows = Rows(table, matings);
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
  if (run->status != kExitSuccess) {
    err << "pedprep mate: the run stops (" << StopExplanation(*run)
        << "); the figures are of the pedigree as read\n";
  }
  return kExitSuccess;
}

}  // namespace pedprep
