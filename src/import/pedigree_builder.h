// From herd-book rows to the numbered pedigree of an input folder: selection, repairs,
// checks, families, numbering and breed codes.
//
// Selection: only the rows of the largest families (with used.largest_families, see
// import/largest_families.h); with keep ids or years of birth, those animals and their
// ancestors (up to `generations` steps along the shortest line of descent; -1 = all);
// parents outside the selection become unknown. Repairs: a parent without a row of its own is added
// as a founder (sex from its role, breed from the first offspring row naming it that has one); an
// animal with exactly one known parent gets a dummy founder as the other parent (breed of the
// animal's row, or `dummy_breed`); identical duplicate rows are merged; an unknown sex is taken
// from the parental role, else from the default sex. Only founders carry a breed code.
//
// Numbering: families (connected groups of relatives) in the order of their first animal in
// the herd book; within a family parents before offspring, herd-book order otherwise (an
// added parent stands just before the first row naming it, a dummy just before its child).
// The animal in position i (1-based) of the result has initial identifier i.
//
// Descendants (with keep ids and `descendants` >= 0): the kept animals' offspring down to
// that many generations, each with its other parent, whose own parents become unknown.
//
// Breeds: a founder's label is mapped through `breed_map` before breeds are counted.
// Repairs (with `repair`): an own-parent link is cut; in an ancestry cycle the parent link of
// the member whose row comes last is cut; a recorded sex contradicting the animal's role as
// sire or dam gives way to the role. Without `repair` each is a problem.
//
// Capacities: more than kMaxBreeds breeds and what import/capacity.h checks are problems
// (PreparedPedigree::over_capacity).
//
// Checks concern the selected animals (a parent's role counts wherever it is used);
// problems of single rows (see herdbook.h) and conflicting duplicates concern every row.
#ifndef PEDPREP_IMPORT_PEDIGREE_BUILDER_H_
#define PEDPREP_IMPORT_PEDIGREE_BUILDER_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/pedigree_store.h"
#include "import/capacity.h"
#include "import/herdbook.h"

namespace pedprep {

// The capacities an imported folder must fit are those of the run's store: kMaxRows rows
// after the loop-break copies, kMaxFamilies, kMaxBreaks copies and kMaxBreeds breeds.

enum class Added : int8_t { kNone, kParent, kDummy };

struct PrepareOptions {
  std::string herdbook_name;  // as given, for problem reports
  bool keep_given = false;
  std::string keep_name;
  std::vector<std::string> keep_ids;  // with the 1-based lines of the keep file they come from
  std::vector<long> keep_lines;
  int generations = -1;  // with keep ids: generations of ancestors kept; -1 = all
  int descendants = -1;  // with keep ids: generations of descendants kept; -1 = none
  int born_from = 0;     // with keep_given: the animals born in born_from..born_to are kept
  int born_to = 0;       // too (0: no bound; both 0: none)
  bool repair = false;
  std::map<std::string, std::string, std::less<>> breed_map;  // label in the book -> label
  Sex default_sex = Sex::kUnknown;
  std::string default_breed;     // empty: none
  std::string dummy_breed;       // empty: a dummy takes the breed of its child's row
  std::size_t marker_count = 0;  // marker columns of the herd book
  SelectionInUse used;           // the selection options given, for the capacity remedies
};

struct PreparedAnimal {
  std::string id;  // empty for a dummy
  Added added = Added::kNone;
  int family = 0;      // 1..
  int individual = 0;  // 1.. within the family
  int father = 0;      // individual numbers within the family, 0 = unknown
  int mother = 0;
  int sire_ini = 0;  // initial identifiers (positions), 0 = unknown
  int dam_ini = 0;
  int breed_code = 0;  // founders 1..kMaxBreeds, others 0
  Sex sex = Sex::kUnknown;
  int8_t nation = 0;
  int16_t born = 0;  // year, 0 = unknown
  bool has_markers = false;
  std::vector<int32_t> markers;
  std::string note;  // what the import changed or added ("; " between several)
  // The parents the selection left out: "sire", "dam" or "both"; "" none.
  std::string parents_cut;
};

struct ImportCounts {
  long rows_read = 0;
  long animals = 0;
  long parents_added = 0;
  long dummies_added = 0;
  long duplicates_merged = 0;
  long sexes_inferred = 0;
  long default_sexes = 0;
  long default_breeds = 0;
  long families = 0;
  long largest_family = 0;
  long loops = 0;             // sum over families of E - V + C of the animal/mating graph: the
                              // loop-break copies the run makes at least
  long nation9_parents = 0;   // parents with nation code 9 in families with loops
  long families_in_book = 0;  // with --largest-families: the families chosen from
  long isolated_dropped = 0;  // with drop_isolated: rows left out
};

struct PreparedPedigree {
  std::vector<PreparedAnimal> animals;  // animals[i] has initial identifier i + 1
  std::vector<std::string> breeds;      // breeds[code - 1]: the name (empty: no founder)
  std::vector<long> breed_founders;     // by code - 1: founders of that breed
  std::vector<std::string> repairs;     // "FILE:LINE: animal ID: what was changed"
  ImportCounts counts;
  std::vector<long> marker_zeros;  // by marker column: fields "0" read as no value
  bool has_born = false;           // the herd book has a birth column
  bool over_capacity = false;      // the problems include a capacity of the run
  int deepest = 0;  // with keep ids: the most generations above a kept animal selected
};

// Problems go to `problems` in line order (herd book, then keep file, then the totals);
// when there is any, the result's animals are empty.
PreparedPedigree PreparePedigree(const Herdbook& book, const PrepareOptions& options,
                                 std::vector<ImportProblem>* problems);

namespace pedigree_building {
struct BookIndex;
}

// Selections of one book with the same options but their generations (--generations auto):
// the work on all of the book's rows (its ids, duplicates and the parents each row names) is
// done once, not by each selection. Each Select equals PreparePedigree with `generations`.
class RepeatedSelection {
 public:
  RepeatedSelection(const Herdbook& book, const PrepareOptions& options);
  ~RepeatedSelection();
  RepeatedSelection(const RepeatedSelection&) = delete;
  RepeatedSelection& operator=(const RepeatedSelection&) = delete;

  PreparedPedigree Select(int generations, std::vector<ImportProblem>* problems);

 private:
  const Herdbook& book_;
  PrepareOptions options_;
  std::unique_ptr<pedigree_building::BookIndex> index_;
};

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_PEDIGREE_BUILDER_H_
