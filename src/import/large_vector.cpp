#include "import/large_vector.h"

#include <cstdlib>
#include <limits>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pedprep {

void* AllocateLarge(std::size_t bytes) {
  constexpr std::size_t kLarge = std::size_t{4} << 20;
  constexpr std::size_t kPage = std::size_t{2} << 20;
  void* block = nullptr;
  if (bytes < kLarge) {
    block = std::malloc(bytes == 0 ? 1 : bytes);
  } else if (bytes <= std::numeric_limits<std::size_t>::max() - kPage) {
    const std::size_t size = (bytes + kPage - 1) / kPage * kPage;
#if defined(_WIN32)
    // Windows has no aligned_alloc (and no huge-page advice): ordinary memory.
    block = std::malloc(size);
#else
    block = std::aligned_alloc(kPage, size);
#endif
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (block != nullptr) ::madvise(block, size, MADV_HUGEPAGE);
#endif
  }
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void FreeLarge(void* block) noexcept { std::free(block); }

}  // namespace pedprep
