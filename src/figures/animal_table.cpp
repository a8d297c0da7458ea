#include "figures/animal_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "core/exit_status.h"
#include "core/pedigree_store.h"
#include "core/run_files.h"
#include "figures/inbreeding.h"
#include "reading/observed_run.h"
#include "records/input_folder.h"

namespace pedprep {
namespace {

// The passport records as the run read them: [0] unused, then data lines 1.. in file order.
std::vector<StoreRow> AnimalsRead(const ObservedRun& run) {
  if (!run.blood_rows.empty()) return run.blood_rows;
  const PedigreeStore& store = run.run->store;
  int32_t count = std::clamp(store.ND, 0, kMaxRows);
  if (run.stop && (run.stop->kind == StopKind::kOneParentKnown ||
                   run.stop->kind == StopKind::kBreedZeroWithoutParents)) {
    count = std::clamp(static_cast<int32_t>(run.stop->line) - 1, 0, count);
  }
  std::vector<StoreRow> rows(1);
  for (int p = 1; p <= count; ++p) rows.push_back(store.Row(p));
  return rows;
}

// Parent links of the animals read: a family is a run of equal family numbers, and a parent
// number names the last member of the family carrying it (none: unknown).
std::vector<ParentLinks> LinksAsRead(const std::vector<StoreRow>& rows) {
  const int32_t n = static_cast<int32_t>(rows.size()) - 1;
  std::vector<ParentLinks> links(static_cast<std::size_t>(std::max(n, 0)));
  std::unordered_map<int32_t, int32_t> member;  // individual number -> animal index
  for (int32_t first = 1; first <= n;) {
    int32_t last = first;
    while (last < n && rows[last + 1].mas0 == rows[first].mas0) ++last;
    member.clear();
    for (int32_t p = first; p <= last; ++p) member[rows[p].mas[1]] = p - 1;
    const auto parent = [&member](int16_t number) {
      if (number == 0) return kUnknownParent;
      const auto it = member.find(number);
      return it == member.end() ? kUnknownParent : it->second;
    };
    for (int32_t p = first; p <= last; ++p) {
      links[static_cast<std::size_t>(p - 1)] = {parent(rows[p].mas[2]), parent(rows[p].mas[3])};
    }
    first = last + 1;
  }
  return links;
}

// Per animal read ([line - 1]): whether ids.csv marks it as a dummy parent the import added.
std::vector<bool> DummiesRead(const ObservedRun& run, const std::vector<StoreRow>& read) {
  std::vector<bool> dummy(read.empty() ? 0 : read.size() - 1, false);
  for (std::size_t line = 1; line < read.size(); ++line) {
    dummy[line - 1] = run.IsDummy(read[line].ini_id);
  }
  return dummy;
}

// For each position of the finished run's store, the position it copies (0 = none).
std::vector<int32_t> CopiedPositions(const ObservedRun& run) {
  const PedigreeStore& store = run.run->store;
  const int32_t nd = std::clamp(store.ND, 0, kMaxRows);
  std::vector<int32_t> copy_of(static_cast<std::size_t>(nd) + 1, 0);
  const auto in_range = [nd](int32_t p) { return p >= 1 && p <= nd; };
  for (const LoopCopy& copy : run.loop_copies) {
    if (in_range(copy.copy_position) && in_range(copy.original_position)) {
      copy_of[static_cast<std::size_t>(copy.copy_position)] = copy.original_position;
    }
  }
  // (family, individual) -> the last position holding it
  const auto key = [](int32_t family, int32_t individual) {
    return static_cast<uint64_t>(static_cast<uint32_t>(family)) << 32 |
           static_cast<uint32_t>(individual);
  };
  std::unordered_map<uint64_t, int32_t> position;
  if (!run.parent_copies.empty()) {
    position.reserve(static_cast<std::size_t>(nd));
    for (int32_t p = 1; p <= nd; ++p) position[key(store.MAS0[p], store.MAS[p][1])] = p;
  }
  for (const ParentCopy& copy : run.parent_copies) {
    const auto made = position.find(key(copy.family, copy.copy));
    const auto original = position.find(key(copy.family, copy.original));
    if (made != position.end() && original != position.end()) {
      copy_of[static_cast<std::size_t>(made->second)] = original->second;
    }
  }
  return copy_of;
}

}  // namespace

std::string FixedDecimals(double value, int decimals) {
  if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0.0;  // never "-0.0000"
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("nan");
}

std::vector<FamilyFigures> FiguresByFamily(const AnimalTable& table) {
  std::vector<FamilyFigures> families;
  int32_t with_f = 0;
  double sum = 0.0;
  double largest = 0.0;
  const auto close = [&]() {
    if (families.empty()) return;
    FamilyFigures& family = families.back();
    for (double& fraction : family.fractions) fraction /= family.animals;
    if (with_f == 0) return;
    family.mean_f = FixedDecimals(sum / with_f, 6);
    family.max_f = FixedDecimals(largest, 6);
    family.mean_value = sum / with_f;
    family.max_value = largest;
  };
  for (const AnimalRow& row : table.rows) {
    if (row.copy_of != 0 || row.dummy) continue;
    if (families.empty() || families.back().family != row.family) {
      close();
      families.emplace_back();
      families.back().family = row.family;
      families.back().fractions.assign(table.breeds.size(), 0.0);
      with_f = 0;
      sum = 0.0;
      largest = 0.0;
    }
    FamilyFigures& family = families.back();
    ++family.animals;
    for (std::size_t k = 0; k < row.fractions.size() && k < family.fractions.size(); ++k) {
      family.fractions[k] += row.fractions[k];
    }
    if (row.has_figures) {
      ++with_f;
      sum += row.inbreeding;
      largest = std::max(largest, row.inbreeding);
    }
  }
  close();
  return families;
}

std::vector<std::string> ShownFractions(const std::vector<double>& fractions) {
  constexpr double kUnits = 10000.0;
  std::vector<std::string> shown;
  double sum = 0.0;
  for (double f : fractions) sum += f;
  const bool plain = std::any_of(fractions.begin(), fractions.end(),
                                 [](double f) { return !(f >= 0.0 && f <= 1.0); });
  if (plain) {
    for (double f : fractions) shown.push_back(FixedDecimals(f, 4));
    return shown;
  }
  const std::size_t n = fractions.size();
  std::vector<long> units(n);
  std::vector<double> remainders(n);  // each in 0..1; -1 once it took its unit
  long total = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const double scaled = fractions[k] * kUnits;
    units[k] = static_cast<long>(std::floor(scaled));
    total += units[k];
    remainders[k] = scaled - static_cast<double>(units[k]);
  }
  // The largest remainders take one unit more, of equal ones the earlier first.
  const long missing = std::lround(sum * kUnits) - total;
  for (long m = 0; m < missing && m < static_cast<long>(n); ++m) {
    std::size_t largest = n;
    for (std::size_t k = 0; k < n; ++k) {
      if (remainders[k] >= 0 && (largest == n || remainders[k] > remainders[largest])) largest = k;
    }
    ++units[largest];
    remainders[largest] = -1;
  }
  shown.reserve(n);
  for (long u : units) {  // u >= 0: "U.DDDD"
    char text[32];
    char* end = std::to_chars(text, text + sizeof text - 5, u / 10000).ptr;
    const long decimals = u % 10000;
    *end++ = '.';
    for (long scale = 1000; scale > 0; scale /= 10)
      *end++ = static_cast<char>('0' + decimals / scale % 10);
    shown.emplace_back(text, end);
  }
  return shown;
}

std::vector<std::string> BreedNames(const std::vector<std::string>& text_lines, int32_t count) {
  const std::map<int32_t, std::string> legend = ReadBreedLegend(text_lines);
  std::set<std::string> taken(std::begin(kAnimalColumns), std::end(kAnimalColumns));
  for (int32_t k = 1; k <= count; ++k) taken.insert("breed" + std::to_string(k));
  std::vector<std::string> names;
  for (int32_t k = 1; k <= count; ++k) {
    const std::string numbered = "breed" + std::to_string(k);
    const auto it = legend.find(k);
    std::string name = it == legend.end() ? numbered : it->second;
    if (name != numbered && taken.count(name) != 0) name = numbered;
    taken.insert(name);
    names.push_back(name);
  }
  return names;
}

namespace {

// Fills the figures of passport data line `line` of `read` into `row`; its fractions when
// `fractions`.
void FillFromLine(const AnimalTable& table, const std::vector<StoreRow>& read, bool fractions,
                  int32_t line, AnimalRow& row) {
  row.source = line;
  const auto a = static_cast<std::size_t>(line - 1);
  const StoreRow& animal = read[static_cast<std::size_t>(line)];
  const AncestryFigures& figures = table.figures;
  row.breed_code = animal.mas1[1];
  row.sex = animal.mas1[2];
  row.dummy = table.dummy[a];
  row.has_figures = figures.resolved[a];
  row.generation = figures.generation[a];
  row.inbreeding = figures.inbreeding[a];
  row.ecg = figures.ecg[a];
  row.complete = figures.complete[a];
  if (fractions) {
    row.fractions.assign(
        animal.prace.begin() + 1,
        animal.prace.begin() + 1 + static_cast<std::ptrdiff_t>(table.breeds.size()));
  }
}

// The rows of the finished run: one per position of the store. The copies are told by the
// run; the other rows are the passport's animals, in file order (the loop breaking and the
// reconstruction insert copies but never reorder).
void AddFinishedRows(const ObservedRun& run, const std::vector<StoreRow>& read,
                     AnimalTable& table) {
  const bool fractions = !run.blood_rows.empty();
  const auto animals = static_cast<int32_t>(read.size()) - 1;
  const PedigreeStore& store = run.run->store;
  const std::vector<int32_t> copy_of = CopiedPositions(run);
  const auto nd = static_cast<int32_t>(copy_of.size()) - 1;
  table.rows.reserve(static_cast<std::size_t>(std::max(nd, 0)));
  int32_t next_line = 0;
  for (int32_t p = 1; p <= nd; ++p) {
    AnimalRow row;
    row.position = p;
    row.family = store.MAS0[p];
    row.individual = store.MAS[p][1];
    row.ini_id = store.INI_ID[p];
    row.copy_of = copy_of[static_cast<std::size_t>(p)];
    if (row.copy_of == 0) {
      ++next_line;
      if (next_line > animals || read[static_cast<std::size_t>(next_line)].ini_id != row.ini_id) {
        throw std::logic_error("position " + std::to_string(p) +
                               " of the prepared pedigree matches no animal read");
      }
      FillFromLine(table, read, fractions, next_line, row);
    }
    table.rows.push_back(std::move(row));
  }
  // A copy takes the figures of the animal it copies (a copy may copy a copy, made earlier).
  for (AnimalRow& row : table.rows) {
    int32_t original = row.copy_of;
    for (int32_t steps = 0; original != 0 && steps <= nd; ++steps) {
      const AnimalRow& source = table.rows[static_cast<std::size_t>(original - 1)];
      if (source.copy_of == 0) {
        FillFromLine(table, read, fractions, source.source, row);
        break;
      }
      original = source.copy_of;
    }
  }
}

}  // namespace

AnimalTable BuildAnimalTable(const ObservedRun& run, std::vector<std::string> breeds) {
  AnimalTable table;
  const std::vector<StoreRow> read = AnimalsRead(run);
  table.breeds = std::move(breeds);
  table.links = LinksAsRead(read);
  table.dummy = DummiesRead(run, read);
  table.figures = ComputeAncestry(table.links, table.dummy);
  table.finished = run.status == kExitSuccess;
  if (table.finished) {
    AddFinishedRows(run, read, table);
    return table;
  }
  const bool fractions = !run.blood_rows.empty();
  table.rows.reserve(read.empty() ? 0 : read.size() - 1);
  for (int32_t p = 1; p < static_cast<int32_t>(read.size()); ++p) {
    const StoreRow& animal = read[static_cast<std::size_t>(p)];
    AnimalRow row;
    row.position = p;
    row.family = animal.mas0;
    row.individual = animal.mas[1];
    row.ini_id = animal.ini_id;
    FillFromLine(table, read, fractions, p, row);
    table.rows.push_back(std::move(row));
  }
  return table;
}

}  // namespace pedprep
