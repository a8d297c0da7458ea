// A table with one entry for every 16-bit value -32768..32767: the index the stages use
// to look up individual numbers, initial identifiers and marker identifiers in one step
// instead of scanning the store.
//
// The table is allocated once (65,536 entries) and is meant to be reused: a stage that
// fills it per family resets the entries it set, so clearing costs what the family costs,
// not the value range.
#ifndef PEDPREP_CORE_VALUE_TABLE_H_
#define PEDPREP_CORE_VALUE_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace pedprep {

template <typename T>
class ValueTable {
  static_assert(!std::is_same_v<T, bool>, "std::vector<bool> has no T& entries");

 public:
  static constexpr int32_t kLowest = -32768;
  static constexpr int32_t kHighest = 32767;

  // Every entry starts as `empty`.
  explicit ValueTable(T empty = T{})
      : entries_(static_cast<std::size_t>(kHighest - kLowest + 1), empty) {}
  ValueTable(const ValueTable&) = delete;
  ValueTable& operator=(const ValueTable&) = delete;

  // True when `value` has an entry, i.e. fits 16 bits.
  static constexpr bool Holds(int32_t value) { return value >= kLowest && value <= kHighest; }

  // The entry of `value`; requires Holds(value).
  T& operator[](int32_t value) { return entries_[Index(value)]; }
  const T& operator[](int32_t value) const { return entries_[Index(value)]; }

 private:
  static std::size_t Index(int32_t value) { return static_cast<std::size_t>(value - kLowest); }

  std::vector<T> entries_;
};

}  // namespace pedprep

#endif  // PEDPREP_CORE_VALUE_TABLE_H_
