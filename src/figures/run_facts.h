// What the tools derive from one observed run, each fact derived once, on first use, and then
// shared by every command and section that needs it: the breed names, why the run stops and
// the way forward, the animal table (figures/animal_table.h), the lookup of animals by what
// users type (figures/animal_lookup.h), the figures per family and the animals the figures
// are over. report (text, CSV, HTML), animals, draw, mate and kinship each take one.
#ifndef PEDPREP_FIGURES_RUN_FACTS_H_
#define PEDPREP_FIGURES_RUN_FACTS_H_

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "figures/animal_lookup.h"
#include "figures/animal_table.h"
#include "records/file_system.h"

namespace pedprep {

struct ObservedRun;

class RunFacts {
 public:
  // `run` must outlive the facts.
  explicit RunFacts(const ObservedRun& run);
  RunFacts(const RunFacts&) = delete;
  RunFacts& operator=(const RunFacts&) = delete;

  const ObservedRun& run() const { return run_; }

  // The breed names, NRAC of them, under the one rule of BreedNames: the animal table's breed
  // columns, draw's legend and labels, the page's series.
  const std::vector<std::string>& Breeds() const;
  // Breeds() by breed code 1..NRAC.
  std::map<int, std::string> BreedsByCode() const;

  // Why and where the run stops (reading/stop_explanation.h), "" when it finishes; and what
  // the user can do about it.
  const std::string& StopText() const;
  const std::string& WayForward() const;

  // The animal table; nullptr when the run's copies cannot be matched to the animals read (a
  // fault inside pedprep; AnimalsFault says what).
  const AnimalTable* Animals() const;
  const std::string& AnimalsFault() const;
  // Animals(), or nullptr with "pedprep COMMAND: internal fault: ..." on `err`.
  const AnimalTable* AnimalsOrFault(const std::string& command, std::ostream& err) const;

  const AnimalLookup& Lookup() const { return lookup_; }

  // Over Animals(), which must be there: the figures per family (FiguresByFamily) and the
  // animals the figures are over (read, not dummies, with figures), in the order of the rows.
  const std::vector<FamilyFigures>& PerFamily() const;
  const std::vector<const AnimalRow*>& Counted() const;

 private:
  void BuildAnimals() const;

  const ObservedRun& run_;
  AnimalLookup lookup_;
  mutable std::optional<std::vector<std::string>> breeds_;
  mutable std::optional<std::string> stop_text_;
  mutable std::optional<std::string> way_forward_;
  mutable std::optional<AnimalTable> animals_;
  mutable std::optional<std::string> animals_fault_;
  mutable std::optional<std::vector<FamilyFigures>> per_family_;
  mutable std::optional<std::vector<const AnimalRow*>> counted_;
};

// Observes the run on `folder`'s inputs (reading/observed_run.h) and returns `body`'s exit
// status for its facts; 2 when a file cannot be read (the INPUT ERROR line on `err`).
int WithRunFacts(FileSystem& folder, std::ostream& err,
                 const std::function<int(const RunFacts&)>& body);

}  // namespace pedprep

#endif  // PEDPREP_FIGURES_RUN_FACTS_H_
