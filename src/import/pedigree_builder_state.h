// The state of PreparePedigree (import/pedigree_builder.h) shared by its steps:
// pedigree_selection.cpp chooses which rows and named parents become animals (the nodes) and
// orders them; pedigree_builder.cpp checks, completes, groups and numbers them.
#ifndef PEDPREP_IMPORT_PEDIGREE_BUILDER_STATE_H_
#define PEDPREP_IMPORT_PEDIGREE_BUILDER_STATE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "import/herdbook.h"
#include "import/id_table.h"
#include "import/pedigree_builder.h"

namespace pedprep::pedigree_building {

constexpr int kNoAncestors = 1 << 30;  // depth of an animal whose parents are not selected

// One animal of the herd book: a row, a parent named without a row, or a dummy.
struct Node {
  std::string_view id;  // empty for a dummy
  uint32_t hash = 0;    // low 32 bits of IdHash(id)
  int16_t file = 0;     // the herd book of `line`
  bool breed_defaulted = false;
  int row = -1;    // Herdbook::Row number, -1 for an added parent or a dummy
  long line = 0;   // its row, else the first row naming it (a dummy: its child's row)
  long order = 0;  // place in herd-book order: 4 * row index + 0 added sire, 1 added dam,
                   // 2 dummy, 3 the row itself
  int sire = -1, dam = -1;
  Added added = Added::kNone;
  Sex sex = Sex::kUnknown;
  bool sex_inferred = false;
  bool sex_defaulted = false;  // from --default-sex: no role and no sex recorded
  std::string_view breed;
  bool used_as_sire = false, used_as_dam = false;
  int dummy_child = -1;  // a dummy: the animal it is a parent of
  int depth = 0;         // generations above the nearest kept animal
  // A parent the book names that the selection left out.
  bool sire_cut = false, dam_cut = false;
};

inline uint32_t Low32(uint64_t value) { return static_cast<uint32_t>(value); }

// What every selection of a book needs of all its rows: made once where several selections
// of one book differ only in their depth (--generations auto), else by each.
struct BookIndex {
  IdTable rows;                 // first row of each id
  std::vector<char> first_row;  // by row: the first row of its id
  long duplicates_merged = 0;
  std::unordered_map<int, std::vector<long>> merged_lines;  // first row -> its duplicates' lines
  std::vector<ImportProblem> conflicts;                     // duplicates with other data
  // Made for repeated selections only: each name a first row gives as a parent, with the
  // first row naming it (role 0 sire, 1 dam), the first naming it with a breed, and whether
  // any names it as sire, as dam.
  struct Naming {
    int row = 0;
    int breed_row = -1;
    int8_t role = 0;
    bool as_sire = false, as_dam = false;
  };
  IdTable names;
  std::vector<Naming> namings;
};

// The nodes are built for the selected animals only, in the order a graph of every animal
// would number them (rows in herd-book order, then added parents in the order of the first
// row naming them, then dummies); every step after the selection walks them in that order,
// so that problems and numbers equal those of the whole graph restricted to the selection.
class Builder {
 public:
  // `index`: the book's, made by IndexBook for these options; nullptr: made here.
  Builder(const Herdbook& book, const PrepareOptions& options, std::vector<ImportProblem>* out,
          const BookIndex* index = nullptr)
      : book_(book), options_(options), out_(out), index_(index) {}

  PreparedPedigree Build();
  // The index of the whole book, with the parents' namings, for repeated selections.
  BookIndex IndexBook();

 private:
  void Problem(const Node& node, std::string message, ProblemKind kind) {
    problems_.push_back(
        {book_.files[node.file], node.line, std::move(message), std::string(node.id), "", kind});
  }
  void Problem(const HerdbookRow& row, std::string message, ProblemKind kind) {
    problems_.push_back(
        {book_.files[row.file], row.line, std::move(message), std::string(row.id), "", kind});
  }
  void Repair(int n, const std::string& what) {
    const Node& node = nodes_[n];
    std::string& note = notes_[n];
    note += (note.empty() ? "" : "; ") + what;
    repairs_.push_back({{node.file, node.line},
                        book_.files[node.file] + ":" + std::to_string(node.line) + ": animal " +
                            std::string(node.id) + ": " + what});
  }
  void CutLink(int n, int parent, const char* why);
  void SelectDescendants();
  auto RowKey() const {
    return [this](int r) { return book_.Row(r).id; };
  }
  std::string_view NamingKey(const BookIndex::Naming& naming) const {
    const HerdbookRow& row = book_.Row(naming.row);
    return naming.role == 0 ? row.sire : row.dam;
  }
  auto NodeKey() const {
    return [this](int n) { return nodes_[n].id; };
  }
  void IndexRows(BookIndex* index);
  void FindMissingWords(BookIndex* index);
  void DropIsolated();
  int AddRowNode(int r, int depth);
  int AddNamedNode(std::string_view id, uint32_t hash, int depth);
  void Select();
  void ScanParentNames();
  void TakeParentNamings();
  void OrderNodes();
  void CheckRoles();
  void FindCycles();
  void AddDummies();
  void SettleSexesAndBreeds();
  void CodeBreeds();
  void CountFounders();
  void GroupFamilies();
  void Number();
  std::string NoteOf(int n) const;

  const Herdbook& book_;
  const PrepareOptions& options_;
  std::vector<ImportProblem>* out_;
  std::vector<ImportProblem> problems_;
  std::vector<ImportProblem> keep_problems_;
  std::vector<ImportProblem> total_problems_;

  const BookIndex* index_;       // the book's rows, ids and namings
  BookIndex own_index_;          // index_ when none was given
  std::vector<char> first_row_;  // by row: the first row of its id (of the families chosen)
  std::vector<Node> nodes_;      // selected animals (before OrderNodes: in selection order)
  IdTable node_index_;           // nodes_ by id
  std::vector<long> rank_;       // by node: place in the numbering of the whole graph
  std::vector<int> keep_nodes_;  // by keep id: its node
  std::vector<int> born_nodes_;  // animals born in the range of years selected
  std::vector<std::string> breed_names_;  // by code - 1
  std::unordered_map<std::string_view, int> breed_codes_;
  std::vector<std::vector<int>> families_;                             // members, herd-book order
  std::unordered_map<int, std::string> notes_;                         // node -> repairs done
  std::vector<std::pair<std::pair<int, long>, std::string>> repairs_;  // by (file, line)
  std::unordered_map<std::string_view, long> founders_;                // breed -> founders
  PreparedPedigree result_;

  std::vector<int> isolated_rows_;  // rows left out by DropIsolated, in order
};

}  // namespace pedprep::pedigree_building

#endif  // PEDPREP_IMPORT_PEDIGREE_BUILDER_STATE_H_
