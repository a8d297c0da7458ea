#include "core/loop_count.h"

#include <numeric>
#include <utility>

namespace pedprep {

UnionFind::UnionFind(std::size_t count) : parent_(count) {
  std::iota(parent_.begin(), parent_.end(), 0);
}

int UnionFind::Add() {
  parent_.push_back(static_cast<int>(parent_.size()));
  return parent_.back();
}

int UnionFind::Find(int x) {
  while (parent_[x] != x) x = parent_[x] = parent_[parent_[x]];
  return x;
}

bool UnionFind::Join(int a, int b) {
  a = Find(a);
  b = Find(b);
  if (a == b) return false;
  parent_[a] = b;
  return true;
}

LoopCounter::LoopCounter(std::size_t animals) : sets_(animals), closing_(animals, 0) {}

int LoopCounter::AddAnimal() {
  closing_.push_back(0);
  return sets_.Add();
}

void LoopCounter::Edge(int a, int b) {
  a = sets_.Find(a);
  b = sets_.Find(b);
  if (a == b) {
    ++closing_[a];
    ++loops_;
    return;
  }
  sets_.Join(a, b);  // b stays the representative
  closing_[b] += closing_[a];
}

void LoopCounter::AddChild(int child, int sire, int dam) {
  if (sire < 0 || dam < 0) {
    if (sire >= 0 || dam >= 0) Edge(child, sire >= 0 ? sire : dam);
    return;
  }
  const uint64_t key =
      (static_cast<uint64_t>(static_cast<uint32_t>(sire)) << 32) | static_cast<uint32_t>(dam);
  auto [found, fresh] = matings_.emplace(key, 0);
  if (fresh) {
    found->second = AddAnimal();
    Edge(found->second, sire);
    Edge(found->second, dam);
  }
  Edge(found->second, child);
}

int64_t LoopCounter::LoopsAround(int animal) { return closing_[sets_.Find(animal)]; }

}  // namespace pedprep
