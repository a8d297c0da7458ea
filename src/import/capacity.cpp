#include "import/capacity.h"

#include <algorithm>
#include <numeric>

#include "core/pedigree_store.h"
#include "records/count_text.h"

namespace pedprep {
namespace {

constexpr std::size_t kFamiliesNamed = 3;

std::string FewerAnimals(const SelectionInUse& used) {
  if (!used.keep) {
    return "; choose fewer animals with --keep FILE or --born-from YEAR, with --generations auto";
  }
  if (!used.generations_auto)
    return "; keep fewer generations of ancestors with --generations auto";
  return std::string("; the kept animals alone do not fit: keep fewer") +
         (used.descendants ? " or fewer --descendants" : "");
}

std::string FewerFamilies(const SelectionInUse& used, const std::vector<long>& family_sizes) {
  const std::string most = std::to_string(kMaxFamilies);
  const long singles = std::count(family_sizes.begin(), family_sizes.end(), 1L);
  const std::string isolated =
      used.drop_isolated || used.keep || singles == 0
          ? ""
          : "; " + CountText(singles) +
                " of them are single animals without parent or offspring: " +
                "--drop-isolated leaves them out";
  if (used.largest_families < 0) {
    return isolated + "; keep the largest with --largest-families " + most;
  }
  return isolated + "; --largest-families at most " + most;
}

// "family 2 (4,642 copies, 8,769 animals), ..." for the families needing the most copies.
std::string MostCopies(const PedigreeSize& size) {
  std::vector<std::size_t> order(size.family_loops.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&size](std::size_t a, std::size_t b) {
    return size.family_loops[a] > size.family_loops[b];
  });
  std::string named;
  for (std::size_t i = 0; i < std::min(kFamiliesNamed, order.size()); ++i) {
    const std::size_t f = order[i];
    if (size.family_loops[f] == 0) break;
    named += (named.empty() ? "family " : ", family ") + std::to_string(f + 1) + " (" +
             Counted(size.family_loops[f], "copy", "copies") + ", " +
             Counted(size.family_sizes[f], "animal", "animals") + ")";
  }
  return named;
}

}  // namespace

std::vector<ImportProblem> CapacityProblems(const PedigreeSize& size, const SelectionInUse& used,
                                            const std::string& book) {
  std::vector<ImportProblem> problems;
  auto add = [&](const std::string& message, ProblemKind kind) {
    problems.push_back({book, 0, message, "", "", kind});
  };
  const long families = static_cast<long>(size.family_sizes.size());
  if (size.animals > kMaxRows) {
    add(Counted(size.animals, "animal", "animals") + ", at most " + CountText(kMaxRows) +
            FewerAnimals(used),
        ProblemKind::kTooManyAnimals);
  }
  if (families > kMaxFamilies) {
    add(Counted(families, "family", "families") + ", at most " + CountText(kMaxFamilies) +
            FewerFamilies(used, size.family_sizes),
        ProblemKind::kTooManyFamilies);
  }
  const bool too_many_copies = size.loops > kMaxBreaks;
  const bool too_many_rows = size.animals <= kMaxRows && size.animals + size.loops > kMaxRows;
  if (too_many_copies) {
    add("at least " + CountText(size.loops) + " loop-break copies expected, at most " +
            CountText(kMaxBreaks) + "; the most copies: " + MostCopies(size) + FewerAnimals(used),
        ProblemKind::kTooManyCopies);
  } else if (too_many_rows) {
    add(Counted(size.animals, "animal", "animals") + " and at least " +
            Counted(size.loops, "loop-break copy", "loop-break copies") + ", at most " +
            CountText(kMaxRows) + " rows; the most copies: " + MostCopies(size) +
            FewerAnimals(used),
        ProblemKind::kTooManyRows);
  }
  return problems;
}

}  // namespace pedprep
