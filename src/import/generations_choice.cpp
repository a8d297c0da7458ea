#include "import/generations_choice.h"

#include <utility>

namespace pedprep {

std::string ChooseAutoGenerations(const Herdbook& book, PrepareOptions prepare,
                                  PreparedPedigree* pedigree,
                                  std::vector<ImportProblem>* problems) {
  RepeatedSelection selection(book, prepare);
  auto select = [&](int generations, std::vector<ImportProblem>* found) {
    return selection.Select(generations, found);
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
  // The largest selection that fits is kept as it is found.
  int low = 0;
  int high = all.deepest;
  all = PreparedPedigree();
  int kept = -1;  // the generations of *pedigree
  while (low < high) {
    const int middle = low + (high - low) / 2;
    std::vector<ImportProblem> middle_problems;
    PreparedPedigree tried = select(middle, &middle_problems);
    if (tried.over_capacity) {
      high = middle;
      continue;
    }
    low = middle + 1;
    if (middle > kept) {
      kept = middle;
      *pedigree = std::move(tried);
      found = std::move(middle_problems);
    }
  }
  const int chosen = low == 0 ? 0 : low - 1;
  if (kept != chosen) {
    found.clear();
    *pedigree = select(chosen, &found);
  }
  problems->insert(problems->end(), found.begin(), found.end());
  if (low == 0) return "";
  return std::to_string(chosen) + " (auto: " + std::to_string(low) + " would not fit the run)";
}

}  // namespace pedprep
