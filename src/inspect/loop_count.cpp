#include "inspect/loop_count.h"

#include <map>
#include <numeric>
#include <utility>

#include "core/pedigree_store.h"

namespace pedprep {
namespace {

class Components {
 public:
  int Add() {
    parent_.push_back(static_cast<int>(parent_.size()));
    return parent_.back();
  }
  int Find(int x) {
    while (parent_[x] != x) x = parent_[x] = parent_[parent_[x]];
    return x;
  }
  // Returns true when a and b were apart.
  bool Join(int a, int b) {
    a = Find(a);
    b = Find(b);
    if (a == b) return false;
    parent_[a] = b;
    return true;
  }

 private:
  std::vector<int> parent_;
};

}  // namespace

std::vector<int32_t> LoopCountsByFamily(const PedigreeStore& store) {
  std::vector<int32_t> counts;
  for (int s = 1; s <= store.NumFamilies(); ++s) {
    const int first = store.FamilyFirst(s);
    const int last = store.FamilyLast(s);
    Components nodes;
    std::map<int16_t, int> animal;  // individual number -> node
    for (int p = first; p <= last; ++p) animal.emplace(store.MAS[p][1], nodes.Add());
    auto node_of = [&](int16_t number) {
      auto it = animal.find(number);
      return it != animal.end() ? it->second : animal.emplace(number, nodes.Add()).first->second;
    };
    // E - V + C counted as the edges that close a cycle: each edge either joins two
    // components or closes one.
    int32_t closing = 0;
    std::map<std::pair<int16_t, int16_t>, int> nuclear;
    for (int p = first; p <= last; ++p) {
      const int16_t father = store.MAS[p][2];
      const int16_t mother = store.MAS[p][3];
      if (father == 0 || mother == 0) continue;
      auto [it, fresh] = nuclear.emplace(std::make_pair(father, mother), 0);
      if (fresh) {
        it->second = nodes.Add();
        if (!nodes.Join(it->second, node_of(father))) ++closing;
        if (!nodes.Join(it->second, node_of(mother))) ++closing;
      }
      if (!nodes.Join(it->second, node_of(store.MAS[p][1]))) ++closing;
    }
    counts.push_back(closing);
  }
  return counts;
}

}  // namespace pedprep
