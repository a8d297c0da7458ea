// --largest-families N: which herd-book rows belong to the N largest families of the book.
#ifndef PEDPREP_IMPORT_LARGEST_FAMILIES_H_
#define PEDPREP_IMPORT_LARGEST_FAMILIES_H_

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "import/herdbook.h"

namespace pedprep {

// The row of an id (its first row) or -1; `hash` is the low 32 bits of IdHash(id).
using FindRow = std::function<int(std::string_view id, uint32_t hash)>;

struct FamilyChoice {
  std::vector<char> rows;  // by row: 1 when in a family kept
  long families = 0;       // in the book
  long kept = 0;           // families kept
};

// Families are the book's animals joined by parent links, as without any selection; a
// family's size counts its rows (first rows, marked in `first_row`), the parents named
// without a row and a dummy for each animal with one parent known. The `count` largest are
// kept, of equal size the one whose first row comes first.
FamilyChoice LargestFamilies(const Herdbook& book, const std::vector<char>& first_row,
                             const FindRow& find_row, long count);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_LARGEST_FAMILIES_H_
