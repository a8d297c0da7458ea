// --generations auto: the most generations of ancestors of the kept animals whose selection
// fits the run, found with one selection of all ancestors and, when that does not fit, a
// bisection over the depth (the selection only grows with the depth, and so does what it
// needs of the run): 2 + log2(depth) selections instead of one per generation.
#ifndef PEDPREP_IMPORT_GENERATIONS_CHOICE_H_
#define PEDPREP_IMPORT_GENERATIONS_CHOICE_H_

#include <string>
#include <vector>

#include "import/pedigree_builder.h"

namespace pedprep {

// Sets *pedigree to the selection chosen and appends its problems to *problems. Returns the
// summary's text: "N (auto: all ancestors fit)", "N (auto: N+1 would not fit the run)", or
// "" when not even the kept animals without ancestors fit (their problems say why).
std::string ChooseAutoGenerations(const Herdbook& book, PrepareOptions prepare,
                                  PreparedPedigree* pedigree, std::vector<ImportProblem>* problems);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_GENERATIONS_CHOICE_H_
