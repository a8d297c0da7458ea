#include "figures/run_facts.h"

#include <stdexcept>

namespace pedprep {

void RunFacts::BuildAnimals() const {
  if (animals_fault_) return;
  try {
    animals_ = BuildAnimalTable(run_);
    animals_fault_ = "";
  } catch (const std::logic_error& fault) {
    animals_fault_ = fault.what();
  }
}

const AnimalTable* RunFacts::Animals() const {
  BuildAnimals();
  return animals_ ? &*animals_ : nullptr;
}

const std::string& RunFacts::AnimalsFault() const {
  BuildAnimals();
  return *animals_fault_;
}

}  // namespace pedprep
