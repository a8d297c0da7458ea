#include "figures/run_facts.h"

#include <algorithm>
#include <stdexcept>

#include "core/exit_status.h"
#include "core/pedigree_store.h"
#include "core/run_files.h"
#include "reading/observed_run.h"
#include "reading/stop_explanation.h"
#include "records/input_folder.h"

namespace pedprep {

RunFacts::RunFacts(const ObservedRun& run) : run_(run), lookup_(*this) {}

const std::vector<std::string>& RunFacts::Breeds() const {
  if (!breeds_) {
    std::string passport;
    run_.files->ReadFile(kPassportFile, &passport);
    breeds_ =
        BreedNames(PassportTextLinesOf(passport), std::clamp(run_.run->store.NRAC, 0, kMaxBreeds));
  }
  return *breeds_;
}

std::map<int, std::string> RunFacts::BreedsByCode() const {
  std::map<int, std::string> by_code;
  const std::vector<std::string>& names = Breeds();
  for (std::size_t k = 0; k < names.size(); ++k) by_code.emplace(static_cast<int>(k) + 1, names[k]);
  return by_code;
}

const std::string& RunFacts::StopText() const {
  if (!stop_text_) stop_text_ = StopExplanation(run_);
  return *stop_text_;
}

const std::string& RunFacts::WayForward() const {
  if (!way_forward_) way_forward_ = WayForwardText(run_);
  return *way_forward_;
}

void RunFacts::BuildAnimals() const {
  if (animals_fault_) return;
  try {
    animals_ = BuildAnimalTable(run_, Breeds());
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

const AnimalTable* RunFacts::AnimalsOrFault(const std::string& command, std::ostream& err) const {
  const AnimalTable* table = Animals();
  if (table == nullptr)
    err << "pedprep " << command << ": internal fault: " << AnimalsFault() << "\n";
  return table;
}

const std::vector<FamilyFigures>& RunFacts::PerFamily() const {
  if (!per_family_) per_family_ = FiguresByFamily(*Animals());
  return *per_family_;
}

const std::vector<const AnimalRow*>& RunFacts::Counted() const {
  if (!counted_) {
    counted_.emplace();
    for (const AnimalRow& row : Animals()->rows) {
      if (row.copy_of == 0 && !row.dummy && row.has_figures) counted_->push_back(&row);
    }
  }
  return *counted_;
}

int WithRunFacts(FileSystem& folder, std::ostream& err,
                 const std::function<int(const RunFacts&)>& body) {
  const std::unique_ptr<ObservedRun> run = ObserveRunOrReport(folder, err);
  if (!run) return kExitInputError;
  const RunFacts facts(*run);
  return body(facts);
}

}  // namespace pedprep
