// How many loop-break copies a pedigree needs at least: E - V + C of the graph whose nodes
// are the animals and their nuclear families (a father, a mother and all their children) and
// whose edges join each nuclear family to its two parents and to each child. One loop break
// adds a node and no edge, so it lowers this number by one; a family peels only when it is 0.
// A break that cuts the only link between two loops splits the family without lowering it,
// so the analysis may make a few copies more.
//
// The count is kept as the edges that closed a cycle when added (each edge either joins two
// components or closes one), per component, so that it is known for every family while the
// graph grows and the families are its components.
#ifndef PEDPREP_CORE_LOOP_COUNT_H_
#define PEDPREP_CORE_LOOP_COUNT_H_

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace pedprep {

// Disjoint sets of the numbers 0..size()-1 with path halving.
class UnionFind {
 public:
  explicit UnionFind(std::size_t count = 0);
  // A new set of its own; returns its number.
  int Add();
  int Find(int x);
  // Joins the sets of a and b; returns false when they were one set already.
  bool Join(int a, int b);
  std::size_t size() const { return parent_.size(); }

 private:
  std::vector<int> parent_;
};

class LoopCounter {
 public:
  // Animals 0..animals-1; more may be added with AddAnimal.
  explicit LoopCounter(std::size_t animals = 0);
  int AddAnimal();
  // Adds `child` as offspring of the mating of `sire` and `dam` (animal numbers); the mating
  // is one node however many children it has. With one parent unknown (-1) the child is
  // joined to the known one directly; with both unknown nothing is added.
  void AddChild(int child, int sire, int dam);
  // E - V + C of the whole graph so far.
  int64_t Loops() const { return loops_; }
  // E - V + C of the family (component) that holds `animal`.
  int64_t LoopsAround(int animal);
  // Equal for two animals of one family.
  int Family(int animal) { return sets_.Find(animal); }

 private:
  void Edge(int a, int b);

  UnionFind sets_;
  std::vector<int64_t> closing_;               // by set representative: edges that closed a cycle
  std::unordered_map<uint64_t, int> matings_;  // (sire << 32 | dam) -> node
  int64_t loops_ = 0;
};

}  // namespace pedprep

#endif  // PEDPREP_CORE_LOOP_COUNT_H_
