#include "import/id_hash.h"

#include <cstring>

namespace pedprep {

uint64_t IdHash(std::string_view id) {
  // Words of the id (little or big endian alike: the hash is never stored) multiplied by
  // odd constants; 16 bytes at a time, the last word of a part overlapping the one before.
  constexpr uint64_t kFirst = 0x9E3779B97F4A7C15ull;
  constexpr uint64_t kSecond = 0xC2B2AE3D27D4EB4Full;
  auto word = [](const char* bytes, std::size_t count) {
    uint64_t value = 0;
    std::memcpy(&value, bytes, count);
    return value;
  };
  const char* p = id.data();
  std::size_t left = id.size();
  uint64_t hash = left * kSecond;
  while (left > 16) {
    hash = (hash ^ (word(p, 8) * kFirst) ^ (word(p + 8, 8) * kSecond)) * kFirst;
    hash ^= hash >> 29;
    p += 16;
    left -= 16;
  }
  uint64_t low = 0, high = 0;
  if (left >= 8) {
    low = word(p, 8);
    high = word(p + left - 8, 8);
  } else if (left >= 4) {
    low = word(p, 4);
    high = word(p + left - 4, 4);
  } else if (left > 0) {
    low = static_cast<unsigned char>(p[0]) |
          static_cast<uint64_t>(static_cast<unsigned char>(p[left / 2])) << 8 |
          static_cast<uint64_t>(static_cast<unsigned char>(p[left - 1])) << 16;
  }
  hash ^= (low * kFirst) ^ (high * kSecond);
  hash ^= hash >> 32;
  hash *= kFirst;
  hash ^= hash >> 29;
  return hash;
}

}  // namespace pedprep
