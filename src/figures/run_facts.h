// What the tools derive from one observed run, each fact derived once, on first use, and then
// shared by every section that needs it: today the animal table (figures/animal_table.h), which the
// text report's per-family figures and founders section and the HTML page all read.
#ifndef PEDPREP_FIGURES_RUN_FACTS_H_
#define PEDPREP_FIGURES_RUN_FACTS_H_

#include <optional>
#include <string>

#include "figures/animal_table.h"

namespace pedprep {

struct ObservedRun;

class RunFacts {
 public:
  explicit RunFacts(const ObservedRun& run) : run_(run) {}

  const ObservedRun& run() const { return run_; }

  // The animal table; nullptr when the run's copies cannot be matched to the animals read (a
  // fault inside pedprep; AnimalsFault says what).
  const AnimalTable* Animals() const;
  const std::string& AnimalsFault() const;

 private:
  void BuildAnimals() const;

  const ObservedRun& run_;
  mutable std::optional<AnimalTable> animals_;
  mutable std::optional<std::string> animals_fault_;
};

}  // namespace pedprep

#endif  // PEDPREP_FIGURES_RUN_FACTS_H_
