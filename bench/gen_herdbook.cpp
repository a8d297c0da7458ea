// Writes a synthetic herd book (CSV) and a keep file for timing `pedprep import`.
//
//   gen_herdbook OUT.csv KEEP.txt [HERDS [GENERATIONS [PER_GENERATION [SIRES [KEEP_HERDS]]]]]
//
// Defaults: 2,000 herds x 20 generations x 25 animals = 1,000,000 rows (about 60 MB).
// Herds are mostly closed: each generation comes from PER_GENERATION / 6 matings of a sire
// out of a pool of SIRES males of the previous generation (one pool in fifty comes from
// another herd) and a female of the previous generation (one in four: of the one before),
// so small pools make loops. Founders carry one of six breeds; ids are
// text ("DE" + 10 digits); unknown parents are written NA; a marker column GT1 is filled
// for about half the animals. KEEP.txt lists the youngest generation of the first
// KEEP_HERDS herds (default 100). Deterministic (fixed seed).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

const char* const kBreeds[] = {"Hinterwald", "Vorderwald", "Simmental",
                               "Angus",      "Hereford",   "Galloway"};

std::string Id(long herd, long serial) {
  char id[16];
  std::snprintf(id, sizeof id, "DE%04ld%06ld", herd % 10000, serial % 1000000);
  return id;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: gen_herdbook OUT.csv KEEP.txt [HERDS [GENERATIONS [PER_GENERATION "
                 "[SIRES [KEEP_HERDS]]]]]\n");
    return 64;
  }
  const long herds = argc > 3 ? std::atol(argv[3]) : 2000;
  const long generations = argc > 4 ? std::atol(argv[4]) : 20;
  const long per_generation = argc > 5 ? std::atol(argv[5]) : 25;
  const long sires = argc > 6 ? std::atol(argv[6]) : 3;
  const long keep_herds = argc > 7 ? std::atol(argv[7]) : 100;
  if (herds < 1 || generations < 1 || per_generation < 2 || sires < 1 || sires > per_generation) {
    std::fprintf(stderr, "gen_herdbook: bad sizes\n");
    return 64;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  std::FILE* keep = std::fopen(argv[2], "wb");
  if (out == nullptr || keep == nullptr) {
    std::perror("gen_herdbook");
    return 2;
  }
  std::mt19937_64 random(20261208);
  auto below = [&random](long n) {
    return static_cast<long>(random() % static_cast<unsigned long>(n));
  };

  // Animal (herd, generation, k) has serial generation * per_generation + k; even k male.
  std::fputs("animal,sire,dam,sex,breed,nation,GT1\r\n", out);
  for (long g = 0; g < generations; ++g) {
    for (long h = 0; h < herds; ++h) {
      const std::string breed = kBreeds[h % 6];
      // This generation's sire pool: males of the previous generation, sometimes of another herd.
      const long sire_herd = g > 0 && below(50) == 0 ? below(herds) : h;
      std::vector<long> pool;
      for (long s = 0; s < sires; ++s) pool.push_back(2 * below((per_generation + 1) / 2));
      std::vector<std::pair<std::string, std::string>> matings;
      for (long m = 0; m < std::max(1L, per_generation / 6) && g > 0; ++m) {
        const long back = g > 1 && below(4) == 0 ? 2 : 1;
        matings.emplace_back(
            Id(sire_herd, (g - 1) * per_generation + pool[below(sires)]),
            Id(h, (g - back) * per_generation + 2 * below(per_generation / 2) + 1));
      }
      for (long k = 0; k < per_generation; ++k) {
        const std::string id = Id(h, g * per_generation + k);
        std::string sire = "NA", dam = "NA";
        if (g > 0) std::tie(sire, dam) = matings[below(static_cast<long>(matings.size()))];
        const long marker = below(6);
        std::fprintf(out, "%s,%s,%s,%s,%s,%ld,%s\r\n", id.c_str(), sire.c_str(), dam.c_str(),
                     k % 2 == 0 ? "M" : "F", breed.c_str(), h % 5,
                     marker < 3 ? std::to_string(marker + 1).c_str() : "");
        if (g == generations - 1 && h < keep_herds) std::fprintf(keep, "%s\n", id.c_str());
      }
    }
  }
  const bool failed = std::fclose(out) != 0 || std::fclose(keep) != 0;
  return failed ? 2 : 0;
}
