#include "import/largest_families.h"

#include <algorithm>
#include <unordered_map>

#include "core/loop_count.h"

namespace pedprep {

FamilyChoice LargestFamilies(const Herdbook& book, const std::vector<char>& first_row,
                             const FindRow& find_row, long count) {
  const std::size_t rows = book.RowCount();
  UnionFind sets(rows);  // rows, then parents named without a row
  std::vector<long> size(rows, 0);
  std::unordered_map<std::string_view, int> named;  // parents without a row -> set
  for (std::size_t r = 0; r < rows; ++r) {
    if (!first_row[r]) continue;
    const HerdbookRow& row = book.Row(r);
    ++size[r];
    int known = 0;
    for (const auto& [id, hash] :
         {std::pair(row.sire, row.sire_hash), std::pair(row.dam, row.dam_hash)}) {
      if (id.empty()) continue;
      ++known;
      int parent = find_row(id, hash);
      if (parent < 0) {
        auto [found, fresh] = named.emplace(id, 0);
        if (fresh) {
          found->second = sets.Add();
          size.push_back(1);
        }
        parent = found->second;
      }
      sets.Join(static_cast<int>(r), parent);
    }
    if (known == 1) ++size[r];  // its dummy
  }
  std::vector<long> family_size(sets.size(), 0);
  for (std::size_t x = 0; x < sets.size(); ++x)
    family_size[sets.Find(static_cast<int>(x))] += size[x];
  std::vector<int> families;  // roots, in the order of their first row
  std::vector<char> seen(sets.size(), 0);
  for (std::size_t r = 0; r < rows; ++r) {
    if (!first_row[r]) continue;
    const int root = sets.Find(static_cast<int>(r));
    if (!seen[root]) families.push_back(root);
    seen[root] = 1;
  }
  std::stable_sort(families.begin(), families.end(),
                   [&family_size](int a, int b) { return family_size[a] > family_size[b]; });
  FamilyChoice choice;
  choice.families = static_cast<long>(families.size());
  choice.kept = std::min(count, choice.families);
  std::vector<char> kept(sets.size(), 0);
  for (long f = 0; f < choice.kept; ++f) kept[families[f]] = 1;
  choice.rows.assign(rows, 0);
  for (std::size_t r = 0; r < rows; ++r) {
    choice.rows[r] = kept[sets.Find(static_cast<int>(r))];
  }
  return choice;
}

}  // namespace pedprep
