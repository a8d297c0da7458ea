#include "import/generations_choice.h"

#include <utility>

namespace pedprep {

std::string ChooseGenerations(const Herdbook& book, PrepareOptions prepare,
                              PreparedPedigree* pedigree, std::vector<ImportProblem>* problems) {
  auto select = [&](int generations, std::vector<ImportProblem>* found) {
    prepare.generations = generations;
    return PreparePedigree(book, prepare, found);
  };
  std::vector<ImportProblem> found;
  PreparedPedigree all = select(-1, &found);
  if (!all.over_capacity) {
    const int deepest = all.deepest;
    *pedigree = std::move(all);
    problems->insert(problems->end(), found.begin(), found.end());
    return std::to_string(deepest) + " (auto: all ancestors fit)";
  }
  // The fewest generations that do not fit: `deepest` selects all ancestors, which do not.
  int low = 0;
  int high = all.deepest;
  all = PreparedPedigree();
  while (low < high) {
    const int middle = low + (high - low) / 2;
    std::vector<ImportProblem> ignored;
    if (select(middle, &ignored).over_capacity) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  found.clear();
  *pedigree = select(low == 0 ? 0 : low - 1, &found);
  problems->insert(problems->end(), found.begin(), found.end());
  if (low == 0) return "";
  return std::to_string(low - 1) + " (auto: " + std::to_string(low) + " would not fit the run)";
}

}  // namespace pedprep
