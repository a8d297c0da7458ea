// A hash table from herd-book ids to numbers, for the import's millions of rows.
#ifndef PEDPREP_IMPORT_ID_TABLE_H_
#define PEDPREP_IMPORT_ID_TABLE_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "import/large_vector.h"

namespace pedprep {

// Values by id: open addressing with linear probing over a power-of-two table kept at most
// half full. A slot holds the low 32 bits of the id's hash beside the value, so that a
// probe reads the id itself (through `key_of(value)`) only when those bits match.
class IdTable {
 public:
  void Reserve(std::size_t count) {
    std::size_t size = 16;
    while (size < 2 * count) size *= 2;
    if (size > slots_.size()) Rehash(size);
  }
  void Prefetch(uint32_t hash) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
  }
  // The value of `id` (hash: Low32(IdHash(id))), or -1.
  template <typename KeyOf>
  int Find(std::string_view id, uint32_t hash, const KeyOf& key_of) const {
    if (slots_.empty()) return -1;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
      const Slot& slot = slots_[s];
      if (slot.value < 0) return -1;
      if (slot.hash == hash && key_of(slot.value) == id) return slot.value;
    }
  }
  // Adds `value` under `id` unless the id is there; returns the value that has the id.
  template <typename KeyOf>
  int Insert(std::string_view id, uint32_t hash, int value, const KeyOf& key_of) {
    if (2 * (count_ + 1) > slots_.size()) Rehash(std::max<std::size_t>(16, 2 * slots_.size()));
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = hash & mask;
    for (; slots_[s].value >= 0; s = (s + 1) & mask) {
      if (slots_[s].hash == hash && key_of(slots_[s].value) == id) return slots_[s].value;
    }
    slots_[s] = {hash, value};
    ++count_;
    return value;
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    int value = -1;
  };
  void Rehash(std::size_t size) {
    LargeVector<Slot> old(size);
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.value < 0) continue;
      std::size_t s = slot.hash & (slots_.size() - 1);
      while (slots_[s].value >= 0) s = (s + 1) & (slots_.size() - 1);
      slots_[s] = slot;
    }
  }

  LargeVector<Slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_ID_TABLE_H_
