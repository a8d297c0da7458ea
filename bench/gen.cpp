// pedprep_gen CASE OUTDIR: writes a complete, deterministic input folder for pedprep.
//
// Cases: herd (one livestock family of about 18,000), families (2,600 families of mixed
// sizes), flat (as large as herd, without any loop), herd-3k (a herd of about 3,000).
// The folder gets PEDIGREE.PRN, DEF.DAT, database/pedigree.dat and database/markers.dat.
//
// Every family obeys the passport rules: families numbered 1, 2, 3, ... in file order,
// members 1..n in file order, parents are earlier members of the same family, both known
// (breed code 0) or both unknown (founder, breed code 1..NRAC), fathers male, mothers
// female, initial identifiers a permutation of 1..ND.
//
// The generator prints, as key=value pairs on one line, ND, the number of copies the
// structure analysis makes (breaks, found by running it on each family), the lower bound
// E - V + C of the graph of individuals and nuclear families (loops), and the capacity
// figures it checks; it exits with status 1 when a capacity would be exceeded.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "core/loop_count.h"
#include "core/pedigree_store.h"
#include "core/stop.h"
#include "records/console.h"
#include "structure/loop_queue.h"
#include "structure/structure_analysis.h"
#include "testing/fakes.h"

namespace {

using pedprep::kMaxFamilies;                     // families of the family index
using pedprep::kMaxRows;                         // positions of the pedigree store
constexpr int kMaxCopies = pedprep::kMaxBreaks;  // rows of the loop-break record
constexpr int kMaxChildrenPerCouple = 100;

// splitmix64: fixed output on every platform and library.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform in lo..hi (inclusive); the modulo bias is irrelevant here.
  int Between(int lo, int hi) {
    return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1));
  }
  // True with probability p.
  bool Chance(double p) { return static_cast<double>(Next() >> 11) * 0x1.0p-53 < p; }

 private:
  uint64_t state_;
};

struct Animal {
  int family = 0;   // 1-based family number
  int number = 0;   // 1-based member number within the family
  int father = -1;  // index into Pedigree::animals, -1 = unknown
  int mother = -1;
  int breed = 0;  // 1..NRAC for founders, 0 otherwise
  int sex = 1;    // 1 male, 2 female
  int nation = 1;
  int year = 0;  // birth year or generation, used for the marker values
};

class Pedigree {
 public:
  explicit Pedigree(int nrac) : nrac_(nrac) {}

  int StartFamily() {
    ++families_;
    family_start_ = static_cast<int>(animals.size());
    return families_;
  }
  int FamilySize() const { return static_cast<int>(animals.size()) - family_start_; }

  int AddFounder(int sex, Random& rng, int year = 0) {
    Animal a;
    a.family = families_;
    a.number = FamilySize() + 1;
    a.breed = rng.Between(1, nrac_);
    a.sex = sex;
    a.year = year;
    animals.push_back(a);
    return static_cast<int>(animals.size()) - 1;
  }

  int AddChild(int father, int mother, int sex, int year) {
    Animal a;
    a.family = families_;
    a.number = FamilySize() + 1;
    a.father = father;
    a.mother = mother;
    a.breed = 0;
    a.sex = sex;
    a.year = year;
    animals.push_back(a);
    return static_cast<int>(animals.size()) - 1;
  }

  int families() const { return families_; }
  int nrac() const { return nrac_; }

  std::vector<Animal> animals;

 private:
  int nrac_;
  int families_ = 0;
  int family_start_ = 0;
};

// ---------------------------------------------------------------------------------------
// Shapes of families

struct HerdShape {
  int size;           // individuals in the family
  int founder_sires;  // founders at the start
  int founder_dams;
  int dams_per_year;   // breeding females kept each year
  int dam_years;       // years a dam stays in the herd
  int sires_per_year;  // active sires at any time
  int sire_years;      // years a sire stays in service
  int litter_max;      // litter size 1..litter_max
};

// One family shaped like a livestock population: few sires, many dams, overlapping
// generations; replacement sires and dams come from the herd's own young stock, so sires
// serve their daughters and granddaughters and half-sibs are mated.
void AddHerd(Pedigree& ped, const HerdShape& shape, Random& rng) {
  ped.StartFamily();
  struct Breeder {
    int index;
    int last_year;
  };
  std::vector<Breeder> sires, dams;
  for (int i = 0; i < shape.founder_sires; ++i)
    sires.push_back({ped.AddFounder(1, rng), rng.Between(1, shape.sire_years)});
  for (int i = 0; i < shape.founder_dams; ++i)
    dams.push_back({ped.AddFounder(2, rng), rng.Between(1, shape.dam_years)});

  for (int year = 1; ped.FamilySize() < shape.size; ++year) {
    std::vector<int> males, females;
    for (const Breeder& dam : dams) {
      const int sire = sires[rng.Between(0, static_cast<int>(sires.size()) - 1)].index;
      const int litter = rng.Between(1, shape.litter_max);
      for (int c = 0; c < litter && ped.FamilySize() < shape.size; ++c) {
        const int sex = rng.Between(1, 2);
        const int child = ped.AddChild(sire, dam.index, sex, year);
        (sex == 1 ? males : females).push_back(child);
      }
    }
    auto retire = [year](std::vector<Breeder>& v) {
      v.erase(std::remove_if(v.begin(), v.end(),
                             [year](const Breeder& b) { return b.last_year <= year; }),
              v.end());
    };
    retire(sires);
    retire(dams);
    // Replacements from this year's young stock, drawn without repetition.
    auto recruit = [&rng, year](std::vector<Breeder>& v, std::vector<int>& pool, int want,
                                int years) {
      while (static_cast<int>(v.size()) < want && !pool.empty()) {
        const int pick = rng.Between(0, static_cast<int>(pool.size()) - 1);
        v.push_back({pool[pick], year + years});
        pool[pick] = pool.back();
        pool.pop_back();
      }
    };
    recruit(sires, males, shape.sires_per_year, shape.sire_years);
    recruit(dams, females, shape.dams_per_year, shape.dam_years);
    if (sires.empty() || dams.empty()) break;  // cannot happen with sane shapes
  }
}

// One family of n members grown mating by mating from a founder couple. A mating pairs an
// earlier non-founder with either a new founder spouse (which adds no loop) or, with
// probability `inbred`, an existing member of the other sex (which closes one loop unless
// the couple already has children). n = 1 is a lone founder; n = 2 two founders.
void AddKindred(Pedigree& ped, int n, double inbred, int max_children, Random& rng) {
  ped.StartFamily();
  if (n <= 2) {
    ped.AddFounder(1, rng);
    if (n == 2) ped.AddFounder(2, rng);
    return;
  }
  const int base = static_cast<int>(ped.animals.size());
  std::vector<std::pair<int, int>> couples;
  std::vector<int> descendants;  // non-founders, candidates for a mating
  auto add_children = [&](int father, int mother, int count) {
    const int generation = std::max(ped.animals[father].year, ped.animals[mother].year) + 1;
    for (int c = 0; c < count; ++c)
      descendants.push_back(ped.AddChild(father, mother, rng.Between(1, 2), generation));
  };
  const int f = ped.AddFounder(1, rng);
  const int m = ped.AddFounder(2, rng);
  couples.push_back({f, m});
  add_children(f, m, std::min(n - 2, rng.Between(1, max_children)));

  while (ped.FamilySize() < n) {
    const int room = n - ped.FamilySize();
    if (room == 1) {  // no room for a new spouse: one more child of an existing couple
      const auto& c = couples[rng.Between(0, static_cast<int>(couples.size()) - 1)];
      add_children(c.first, c.second, 1);
      continue;
    }
    const int a = descendants[rng.Between(0, static_cast<int>(descendants.size()) - 1)];
    const int want_sex = ped.animals[a].sex == 1 ? 2 : 1;
    int partner = -1;
    if (rng.Chance(inbred)) {
      // An existing member of the other sex; a few tries are enough.
      for (int t = 0; t < 8 && partner < 0; ++t) {
        const int cand = base + rng.Between(0, ped.FamilySize() - 1);
        if (cand != a && ped.animals[cand].sex == want_sex) partner = cand;
      }
    }
    int left = room;
    if (partner < 0) {
      partner = ped.AddFounder(want_sex, rng, ped.animals[a].year);
      --left;
    }
    const int father = ped.animals[a].sex == 1 ? a : partner;
    const int mother = ped.animals[a].sex == 1 ? partner : a;
    couples.push_back({father, mother});
    add_children(father, mother, std::min(left, rng.Between(1, max_children)));
  }
}

// ---------------------------------------------------------------------------------------
// Figures of the structure analysis

// The copies the structure analysis (mode 0) makes in one family: the family alone in a
// store in memory, analysed by STRYU. E - V + C is only a lower bound of the copies: the
// breadth-first loop search may break at an individual whose edge to the nuclear family is a
// bridge between two loops, which splits the family and leaves E - V + C unchanged.
struct AnalysisResult {
  int breaks = 0;
  bool failed = false;  // the analysis stopped the run (queue full or exhausted, a limit)
};

AnalysisResult AnalyseFamily(const std::vector<Animal>& animals, std::size_t begin,
                             std::size_t end) {
  auto store = std::make_unique<pedprep::PedigreeStore>();
  const int n = static_cast<int>(end - begin);
  store->ND = n;
  store->NRAC = 0;
  for (int p = 1; p <= n; ++p) {
    const Animal& a = animals[begin + static_cast<std::size_t>(p) - 1];
    store->MAS0[p] = 1;
    store->MAS[p] = {0, static_cast<int16_t>(a.number),
                     static_cast<int16_t>(a.father < 0 ? 0 : animals[a.father].number),
                     static_cast<int16_t>(a.mother < 0 ? 0 : animals[a.mother].number)};
    store->MAS1[p] = {0, static_cast<uint8_t>(a.breed), static_cast<uint8_t>(a.sex)};
  }
  pedprep::CRTINS(*store);
  pedprep::CapturingConsole console;
  pedprep::StructureContext ctx(*store, console);
  AnalysisResult result;
  try {
    pedprep::InPlaceSTRYU(ctx);
  } catch (const pedprep::RunStopped&) {
    result.failed = true;
  }
  result.breaks = store->NBREAK;
  return result;
}

struct FamilyFigures {
  int size = 0;
  int loops = 0;  // E - V + C: at least this many copies
  int slots = 0;  // nuclear-family slots: 2 per nuclear family + 1 per child
  int max_children = 0;
  AnalysisResult analysis;  // the copies the structure analysis makes
};

std::vector<FamilyFigures> ComputeFigures(const Pedigree& ped) {
  const auto& an = ped.animals;
  std::vector<FamilyFigures> figs(ped.families() + 1);
  std::size_t begin = 0;
  while (begin < an.size()) {
    std::size_t end = begin;
    while (end < an.size() && an[end].family == an[begin].family) ++end;
    FamilyFigures& fig = figs[an[begin].family];
    const int n = static_cast<int>(end - begin);
    std::map<std::pair<int, int>, int> children;  // by couple
    pedprep::LoopCounter loops(n);
    int child_count = 0;
    for (std::size_t i = begin; i < end; ++i) {
      if (an[i].father < 0) continue;
      ++children[{an[i].father, an[i].mother}];
      ++child_count;
      loops.AddChild(static_cast<int>(i - begin), an[i].father - static_cast<int>(begin),
                     an[i].mother - static_cast<int>(begin));
    }
    for (const auto& [couple, count] : children) {
      fig.max_children = std::max(fig.max_children, count);
    }
    fig.size = n;
    fig.loops = static_cast<int>(loops.Loops());
    fig.slots = 2 * static_cast<int>(children.size()) + child_count;
    fig.analysis = AnalyseFamily(an, begin, end);
    begin = end;
  }
  return figs;
}

// Nation codes: founders 1..3; non-founders mostly 1, some 2, a few 9. A copy of an
// individual with code 9 makes the reconstruction add copies of its parents, and of their
// parents while those have 9 too. An individual is copied at most once per couple it
// heads, so 9 is given only while the resulting bound on parent copies stays within
// `budget`. Founders never get 9 (their parents are unknown).
int AssignNations(Pedigree& ped, Random& rng, int budget) {
  auto& an = ped.animals;
  std::vector<int> couples_headed(an.size(), 0);
  {
    std::map<std::pair<int, int>, bool> seen;
    for (const Animal& a : an)
      if (a.father >= 0 && !seen[{a.father, a.mother}]) {
        seen[{a.father, a.mother}] = true;
        ++couples_headed[a.father];
        ++couples_headed[a.mother];
      }
  }
  std::vector<long> rows(an.size(), 0);  // parent copies a copy of this individual yields
  long used = 0;
  for (std::size_t i = 0; i < an.size(); ++i) {
    Animal& a = an[i];
    if (a.father < 0) {
      a.nation = rng.Between(1, 3);
      continue;
    }
    const double r = static_cast<double>(rng.Next() >> 11) * 0x1.0p-53;
    a.nation = r < 0.10 ? 2 : 1;
    if (r >= 0.97) {
      const long climb = 2 + rows[a.father] + rows[a.mother];
      const long cost = climb * couples_headed[i];
      if (used + cost <= budget) {
        a.nation = 9;
        rows[i] = climb;
        used += cost;
      }
    }
  }
  return static_cast<int>(used);
}

// ---------------------------------------------------------------------------------------
// Files

std::string Int5(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%5d", v);
  return buf;
}

std::string Text20(const std::string& s) {
  std::string t = s.substr(0, 20);
  t.resize(20, ' ');
  return t;
}

struct CaseFiles {
  std::string title;                  // passport title line and DEF.DAT record 1
  std::vector<std::string> legends;   // passport text lines 2..7
  bool header_with_families = false;  // header 3I5 (third field: number of families)
  int marker_values = 3;              // NTR
  int marker_taken = 1;               // ITR
};

bool WriteAll(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool WriteFolder(const std::filesystem::path& dir, const Pedigree& ped, const CaseFiles& cf,
                 Random& rng) {
  const auto& an = ped.animals;
  const int nd = static_cast<int>(an.size());
  // Initial identifiers: a fixed permutation of 1..ND.
  std::vector<int> ini(nd);
  std::iota(ini.begin(), ini.end(), 1);
  for (int i = nd - 1; i > 0; --i) std::swap(ini[i], ini[rng.Between(0, i)]);
  std::vector<int> by_id(nd + 1);
  for (int i = 0; i < nd; ++i) by_id[ini[i]] = i;

  const std::string eol = "\r\n";
  std::string prn = Int5(nd) + Int5(ped.nrac());
  if (cf.header_with_families) prn += Int5(ped.families());
  prn += eol + cf.title + eol;
  for (const std::string& line : cf.legends) prn += line + eol;
  prn.reserve(prn.size() + static_cast<std::size_t>(nd) * 37);
  for (int i = 0; i < nd; ++i) {
    const Animal& a = an[i];
    prn += Int5(a.family) + Int5(a.number) + Int5(a.father < 0 ? 0 : an[a.father].number) +
           Int5(a.mother < 0 ? 0 : an[a.mother].number) + Int5(a.breed) + Int5(a.sex) +
           Int5(ini[i]) + eol;
  }

  std::string def = Text20(cf.title) + eol + Text20("MARKERS.BIN") + eol +
                    Text20("1=year 2=trait") + eol + Text20("3..=class values") + eol;
  char itr[8];
  std::snprintf(itr, sizeof itr, "%2d", cf.marker_taken);
  def += std::string(itr) + eol;

  std::string db = Int5(nd) + eol;
  for (int id = 1; id <= nd; ++id) {
    const Animal& a = an[by_id[id]];
    db += Int5(id) + Int5(a.father < 0 ? 0 : ini[a.father]) +
          Int5(a.mother < 0 ? 0 : ini[a.mother]) + Int5(a.breed) + Int5(a.nation) + Int5(a.sex) +
          eol;
  }

  std::string records;
  int marked = 0;
  for (int id = 1; id <= nd; ++id) {
    if (!rng.Chance(0.8)) continue;
    const Animal& a = an[by_id[id]];
    records += Int5(id);
    for (int v = 1; v <= cf.marker_values; ++v) {
      int value;
      if (v == 1)
        value = 1980 + a.year;
      else if (v == 2)
        value = rng.Between(-300, 400);
      else
        value = rng.Between(1, 5);
      records += Int5(value);
    }
    records += eol;
    ++marked;
  }
  char head[16];
  std::string markers = Int5(marked);
  std::snprintf(head, sizeof head, "%3d", cf.marker_values);
  markers += head;
  for (int v = 1; v <= cf.marker_values; ++v) {
    std::snprintf(head, sizeof head, "%3d", v);
    markers += head;
  }
  markers += eol + records;

  std::error_code ec;
  std::filesystem::create_directories(dir / "database", ec);
  if (ec) return false;
  return WriteAll(dir / "PEDIGREE.PRN", prn) && WriteAll(dir / "DEF.DAT", def) &&
         WriteAll(dir / "database" / "pedigree.dat", db) &&
         WriteAll(dir / "database" / "markers.dat", markers);
}

// ---------------------------------------------------------------------------------------
// Cases

constexpr int kHerdSize = 18000;

HerdShape LargeHerd() { return {kHerdSize, 6, 150, 150, 4, 5, 3, 12}; }

HerdShape SmallHerd() { return {3000, 3, 40, 40, 4, 3, 3, 10}; }

// 2,600 families whose sizes plus copies fill the store exactly: most are small, some
// mid-size, a few large. Each family's size is scaled so that the rows still free are
// spread over the families still to come; the last family is loop-free and takes the rest.
void AddFamilies(Pedigree& ped, Random& rng) {
  long rows_left = kMaxRows;
  double rows_per_member = 1.1;  // (members + copies) / members so far
  long members = 0, rows = 0;
  for (int f = 1; f <= kMaxFamilies; ++f) {
    const int families_left = kMaxFamilies - f + 1;
    if (families_left == 1) {
      AddKindred(ped, static_cast<int>(rows_left), 0.0, 4, rng);
      break;
    }
    const double u = static_cast<double>(rng.Next() >> 11) * 0x1.0p-53;
    int base, inbred_pct;
    if (u < 0.05) {
      base = 1, inbred_pct = 0;
    } else if (u < 0.70) {
      base = rng.Between(3, 8), inbred_pct = 30;
    } else if (u < 0.95) {
      base = rng.Between(9, 30), inbred_pct = 45;
    } else {
      base = rng.Between(31, 160), inbred_pct = 55;
    }
    constexpr double kBaseMean = 0.05 * 1 + 0.65 * 5.5 + 0.25 * 19.5 + 0.05 * 95.5;
    const double target = static_cast<double>(rows_left) / families_left;
    int n = static_cast<int>(base * target / (kBaseMean * rows_per_member) + 0.5);
    if (base > 1) n = std::max(n, 3);
    n = std::max(n, 1);
    // Leave at least one row for every family still to come.
    n = std::min<long>(n, std::max<long>(1, (rows_left - families_left) * 10 / 12));
    const std::size_t first = ped.animals.size();
    AddKindred(ped, n, inbred_pct / 100.0, 4, rng);
    // Count this family's rows including its copies.
    Pedigree one(ped.nrac());
    one.StartFamily();
    for (std::size_t i = first; i < ped.animals.size(); ++i) {
      Animal a = ped.animals[i];
      a.family = 1;
      if (a.father >= 0) a.father -= static_cast<int>(first);
      if (a.mother >= 0) a.mother -= static_cast<int>(first);
      one.animals.push_back(a);
    }
    const int loops = ComputeFigures(one)[1].analysis.breaks;
    members += n;
    rows += n + loops;
    rows_left -= n + loops;
    rows_per_member = static_cast<double>(rows) / static_cast<double>(members);
  }
}

int Usage() {
  std::fprintf(stderr, "usage: pedprep_gen herd|families|flat|herd-3k OUTDIR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  const std::string name = argv[1];
  const std::filesystem::path dir = argv[2];

  CaseFiles cf;
  int nrac;
  uint64_t seed;
  if (name == "herd") {
    nrac = 5, seed = 0x4E52'4401;
    cf.title = "Synthetic herd";
    cf.marker_values = 3, cf.marker_taken = 2;
  } else if (name == "families") {
    nrac = 10, seed = 0x4E52'4402;
    cf.title = "Synthetic families";
    cf.header_with_families = true;
    cf.marker_values = 5, cf.marker_taken = 5;
  } else if (name == "flat") {
    nrac = 3, seed = 0x4E52'4403;
    cf.title = "Synthetic flat";
    cf.marker_values = 1, cf.marker_taken = 1;
  } else if (name == "herd-3k") {
    nrac = 4, seed = 0x4E52'4404;
    cf.title = "Synthetic herd 3k";
    cf.marker_values = 3, cf.marker_taken = 3;
  } else {
    return Usage();
  }
  cf.legends = {"source: pedprep_gen " + name + " (deterministic)",
                "nation codes: 1, 2, 3 founders; 9 marks database ancestry to rebuild",
                "breeds: 1.." + std::to_string(nrac),
                "fields: family individual father mother breed sex ini_id",
                "markers: 1=year 2=trait 3..=class",
                ""};

  Random rng(seed);
  Pedigree ped(nrac);
  if (name == "herd") {
    AddHerd(ped, LargeHerd(), rng);
  } else if (name == "herd-3k") {
    AddHerd(ped, SmallHerd(), rng);
  } else if (name == "flat") {
    AddKindred(ped, kHerdSize, 0.0, 5, rng);
  } else {
    AddFamilies(ped, rng);
  }

  const auto figs = ComputeFigures(ped);
  const int nd = static_cast<int>(ped.animals.size());
  long loops = 0, breaks = 0;
  int max_breaks = 0, max_slots = 0, max_size = 0, max_children = 0;
  int looped = 0, split = 0;
  bool search_fails = false;
  for (int f = 1; f <= ped.families(); ++f) {
    const FamilyFigures& fig = figs[f];
    loops += fig.loops;
    breaks += fig.analysis.breaks;
    max_breaks = std::max(max_breaks, fig.analysis.breaks);
    max_slots = std::max(max_slots, fig.slots);
    max_size = std::max(max_size, fig.size);
    max_children = std::max(max_children, fig.max_children);
    if (fig.analysis.breaks > 0) ++looped;
    if (fig.analysis.breaks != fig.loops) ++split;
    search_fails = search_fails || fig.analysis.failed;
  }
  const int budget = std::max(0, std::min(1000, kMaxRows - nd - static_cast<int>(breaks)));
  const int parent_copy_bound = AssignNations(ped, rng, budget);

  std::printf(
      "case=%s ND=%d NRAC=%d families=%d families_with_loops=%d breaks=%ld loops=%ld "
      "families_split=%d max_family_breaks=%d largest_family=%d max_slots=%d "
      "max_children_per_couple=%d rows_after_breaks=%ld parent_copy_bound=%d\n",
      name.c_str(), nd, nrac, ped.families(), looped, breaks, loops, split, max_breaks, max_size,
      max_slots, max_children, nd + breaks, parent_copy_bound);

  bool ok = true;
  auto check = [&ok](bool cond, const char* what) {
    if (!cond) {
      std::fprintf(stderr, "pedprep_gen: capacity exceeded: %s\n", what);
      ok = false;
    }
  };
  check(nd <= kMaxRows, "ND > 24096");
  check(ped.families() <= kMaxFamilies, "more than 2600 families");
  check(breaks <= kMaxCopies, "more than 4096 copies");
  check(nd + breaks + parent_copy_bound <= kMaxRows, "rows after copies > 24096");
  check(max_slots <= kMaxRows, "nuclear-family slots of a family > 24096");
  check(max_children <= kMaxChildrenPerCouple, "more than 100 children of one couple");
  check(!search_fails, "the structure analysis stops the run");
  if (!ok) return 1;

  if (!WriteFolder(dir, ped, cf, rng)) {
    std::fprintf(stderr, "pedprep_gen: cannot write %s\n", dir.string().c_str());
    return 1;
  }
  return 0;
}
