// Writes a synthetic herd book (CSV) and a keep file for timing `pedprep import`.
//
//   gen_herdbook OUT.csv KEEP.txt [HERDS [GENERATIONS [PER_GENERATION [SIRES [KEEP_HERDS
//                [MATINGS [BOUGHT_PERCENT [BOUGHT_DAMS_PERCENT]]]]]]]]
//
// Defaults: 2,000 herds x 20 generations x 25 animals = 1,000,000 rows (about 49 MB).
// Herds are mostly closed. Each generation of a herd: BOUGHT_PERCENT of the animals come
// from outside with unknown parents (founders); the others come from MATINGS matings, each
// of a sire out of a pool of SIRES males of the previous generation (one pool in fifty from
// another herd) and a different dam of the previous generation (one in four: a female of
// the one before). A pool smaller than MATINGS makes half sibs; matings of relatives make
// loops. BOUGHT_DAMS_PERCENT of the dams of the previous generation were bought in
// themselves (unknown parents): at 100, with one mating a generation, every herd is a line
// of sires each mated to an unrelated dam, free of loops but for the pools from another
// herd. Founders carry one
// of six breeds (by herd); ids are text ("DE" + 10 digits); unknown parents are written NA;
// a marker column GT1 is filled for about half the animals. KEEP.txt lists the youngest
// generation of the first KEEP_HERDS herds (default 100). Deterministic (fixed seed).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
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
                 "[SIRES [KEEP_HERDS [MATINGS [BOUGHT_PERCENT]]]]]]]\n");
    return 64;
  }
  const long herds = argc > 3 ? std::atol(argv[3]) : 2000;
  const long generations = argc > 4 ? std::atol(argv[4]) : 20;
  const long per_generation = argc > 5 ? std::atol(argv[5]) : 25;
  const long sires = argc > 6 ? std::atol(argv[6]) : 12;
  const long keep_herds = argc > 7 ? std::atol(argv[7]) : 100;
  const long matings = argc > 8 ? std::atol(argv[8]) : 12;
  const long bought = argc > 9 ? std::atol(argv[9]) : 25;
  const long bought_dams = argc > 10 ? std::atol(argv[10]) : 0;
  const long males = (per_generation + 1) / 2, females = per_generation / 2;
  if (herds < 1 || generations < 1 || per_generation < 2 || sires < 1 || sires > males ||
      matings < 1 || matings > females || bought < 0 || bought > 100 || bought_dams < 0 ||
      bought_dams > 100) {
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
  // `count` different numbers out of 0..n-1, in random order.
  auto distinct = [&random](long n, long count) {
    std::vector<long> all(static_cast<std::size_t>(n));
    for (long i = 0; i < n; ++i) all[i] = i;
    std::shuffle(all.begin(), all.end(), random);
    all.resize(static_cast<std::size_t>(count));
    return all;
  };

  // Animal (herd, generation, k) has serial generation * per_generation + k; even k male,
  // odd k = 2 f + 1 the female f. The dams of a herd's next generation (females of this one)
  // are chosen before this one is written, so that the bought ones get unknown parents.
  std::vector<std::vector<long>> dams(static_cast<std::size_t>(herds));
  std::vector<std::vector<char>> dam_bought(static_cast<std::size_t>(herds));
  std::fputs("animal,sire,dam,sex,breed,nation,GT1\r\n", out);
  for (long g = 0; g < generations; ++g) {
    for (long h = 0; h < herds; ++h) {
      const std::string breed = kBreeds[h % 6];
      std::vector<std::pair<std::string, std::string>> pairs;
      if (g > 0) {
        const long sire_herd = below(50) == 0 ? below(herds) : h;
        const std::vector<long> pool = distinct(males, sires);
        for (long m = 0; m < matings; ++m) {
          const bool back = g > 1 && !dam_bought[h][m] && below(4) == 0;
          const long dam = back ? (g - 2) * per_generation + 2 * below(females) + 1
                                : (g - 1) * per_generation + 2 * dams[h][m] + 1;
          pairs.emplace_back(Id(sire_herd, (g - 1) * per_generation + 2 * pool[m % sires]),
                             Id(h, dam));
        }
      }
      std::vector<char> bought_female(static_cast<std::size_t>(females), 0);
      dams[h] = distinct(females, matings);
      dam_bought[h].assign(static_cast<std::size_t>(matings), 0);
      for (long m = 0; m < matings; ++m) {
        dam_bought[h][m] = below(100) < bought_dams;
        if (dam_bought[h][m]) bought_female[dams[h][m]] = 1;
      }
      for (long k = 0; k < per_generation; ++k) {
        const std::string id = Id(h, g * per_generation + k);
        std::string sire = "NA", dam = "NA";
        const bool bought_dam = k % 2 == 1 && bought_female[k / 2];
        if (g > 0 && !bought_dam && below(100) >= bought) {
          const auto& pair = pairs[static_cast<std::size_t>(below(matings))];
          sire = pair.first;
          dam = pair.second;
        }
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
