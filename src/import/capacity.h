// The capacities of the run an imported pedigree must fit, those of the run's store:
// kMaxRows animals, kMaxFamilies families, kMaxBreaks expected loop-break copies and kMaxRows
// animals plus copies (the breeds are counted where they are coded). Each refusal names only
// the remedies that act on the limit exceeded and that the command does not use yet:
//   families            --largest-families; without a selection, --drop-isolated where
//                       families are single animals
//   animals or copies   --keep FILE or --born-from YEAR, with --generations auto; with a
//                       selection, --generations auto; with that too, a smaller selection
#ifndef PEDPREP_IMPORT_CAPACITY_H_
#define PEDPREP_IMPORT_CAPACITY_H_

#include <string>
#include <vector>

#include "import/herdbook.h"

namespace pedprep {

// The selection options the command uses.
struct SelectionInUse {
  bool keep = false;  // --keep, --born-from or --born-to
  bool generations_auto = false;
  bool descendants = false;
  long largest_families = -1;  // -1: not given
  bool drop_isolated = false;  // animals without parent and offspring left out
};

struct PedigreeSize {
  long animals = 0;
  long loops = 0;                  // expected loop-break copies, at least
  std::vector<long> family_sizes;  // by family, in numbering order
  std::vector<long> family_loops;
};

// The capacity problems (line 0, file `book`), in the order animals, families, copies.
std::vector<ImportProblem> CapacityProblems(const PedigreeSize& size, const SelectionInUse& used,
                                            const std::string& book);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_CAPACITY_H_
