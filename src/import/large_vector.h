// Memory for the import's large tables (rows and id tables of a herd book of millions of
// rows).
#ifndef PEDPREP_IMPORT_LARGE_VECTOR_H_
#define PEDPREP_IMPORT_LARGE_VECTOR_H_

#include <cstddef>
#include <vector>

namespace pedprep {

// An allocator for large tables: a block of at least 4 MiB is aligned to 2 MiB and marked
// for transparent huge pages, so that it faults in 2 MiB pages instead of 4 KiB ones
// (where the system offers them; elsewhere it is ordinary memory).
void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* block) noexcept;
template <typename T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <typename U>
  LargeAllocator(const LargeAllocator<U>&) {}  // NOLINT(google-explicit-constructor)
  T* allocate(std::size_t count) { return static_cast<T*>(AllocateLarge(count * sizeof(T))); }
  void deallocate(T* block, std::size_t) noexcept { FreeLarge(block); }
  bool operator==(const LargeAllocator&) const { return true; }
};
template <typename T>
using LargeVector = std::vector<T, LargeAllocator<T>>;

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_LARGE_VECTOR_H_
