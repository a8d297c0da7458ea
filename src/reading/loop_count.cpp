#include "reading/loop_count.h"

#include <map>

#include "core/loop_count.h"
#include "core/pedigree_store.h"

namespace pedprep {

std::vector<int32_t> LoopCountsByFamily(const PedigreeStore& store) {
  std::vector<int32_t> counts;
  for (int s = 1; s <= store.NumFamilies(); ++s) {
    const int first = store.FamilyFirst(s);
    const int last = store.FamilyLast(s);
    LoopCounter loops;
    std::map<int16_t, int> animal;  // individual number -> node
    for (int p = first; p <= last; ++p) animal.emplace(store.MAS[p][1], loops.AddAnimal());
    auto node_of = [&](int16_t number) {
      auto it = animal.find(number);
      return it != animal.end() ? it->second
                                : animal.emplace(number, loops.AddAnimal()).first->second;
    };
    for (int p = first; p <= last; ++p) {
      const int16_t father = store.MAS[p][2];
      const int16_t mother = store.MAS[p][3];
      if (father == 0 || mother == 0) continue;
      loops.AddChild(node_of(store.MAS[p][1]), node_of(father), node_of(mother));
    }
    counts.push_back(static_cast<int32_t>(loops.Loops()));
  }
  return counts;
}

}  // namespace pedprep
