#include "reading/loop_count.h"

#include <cstddef>

#include "core/loop_count.h"
#include "core/pedigree_store.h"

namespace pedprep {

std::vector<int32_t> LoopCountsByFamily(const PedigreeStore& store) {
  std::vector<int32_t> counts;
  // Individual number -> node of the family at hand (-1: none yet), cleared after each family
  // through `numbers`, the numbers it gave a node.
  std::vector<int> node(1 << 16, -1);
  std::vector<int16_t> numbers;
  const auto slot = [](int16_t number) { return static_cast<std::size_t>(number + 32768); };
  for (int s = 1; s <= store.NumFamilies(); ++s) {
    const int first = store.FamilyFirst(s);
    const int last = store.FamilyLast(s);
    LoopCounter loops;
    auto node_of = [&](int16_t number) {
      int& k = node[slot(number)];
      if (k < 0) {
        k = loops.AddAnimal();
        numbers.push_back(number);
      }
      return k;
    };
    for (int p = first; p <= last; ++p) {
      // Each row is a node; a number given twice keeps its first.
      const int k = loops.AddAnimal();
      int& at = node[slot(store.MAS[p][1])];
      if (at < 0) {
        at = k;
        numbers.push_back(store.MAS[p][1]);
      }
    }
    for (int p = first; p <= last; ++p) {
      const int16_t father = store.MAS[p][2];
      const int16_t mother = store.MAS[p][3];
      if (father == 0 || mother == 0) continue;
      loops.AddChild(node_of(store.MAS[p][1]), node_of(father), node_of(mother));
    }
    counts.push_back(static_cast<int32_t>(loops.Loops()));
    for (int16_t number : numbers) node[slot(number)] = -1;
    numbers.clear();
  }
  return counts;
}

}  // namespace pedprep
