#include "import/pedigree_builder.h"

#include <algorithm>
#include <numeric>
#include <queue>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/loop_count.h"
#include "import/ancestry_cycles.h"
#include "import/capacity.h"
#include "import/id_hash.h"
#include "import/id_table.h"
#include "records/escape.h"
#include "records/input_folder.h"

namespace pedprep {
namespace {

constexpr int kNoAncestors = 1 << 30;  // depth of an animal whose parents are not selected
constexpr int kNation9 = 9;            // the nation code whose copies get parent copies in the run

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
  std::string_view breed;
  bool used_as_sire = false, used_as_dam = false;
  int dummy_child = -1;  // a dummy: the animal it is a parent of
  int depth = 0;         // generations above the nearest kept animal
};

uint32_t Low32(uint64_t value) { return static_cast<uint32_t>(value); }

const char* SexLetter(Sex sex) { return sex == Sex::kMale ? "M" : "F"; }

std::string NameOf(const std::vector<Node>& nodes, int n) {
  const Node& node = nodes[n];
  if (node.added != Added::kDummy) return std::string(node.id);
  return std::string(node.sex == Sex::kMale ? "dummy sire of " : "dummy dam of ") +
         std::string(nodes[node.dummy_child].id);
}

// The nodes are built for the selected animals only, in the order a graph of every animal
// would number them (rows in herd-book order, then added parents in the order of the first
// row naming them, then dummies); every step after the selection walks them in that order,
// so that problems and numbers equal those of the whole graph restricted to the selection.
class Builder {
 public:
  Builder(const Herdbook& book, const PrepareOptions& options, std::vector<ImportProblem>* out)
      : book_(book), options_(options), out_(out) {}

  PreparedPedigree Build();

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
                            CutForMessage(node.id) + ": " + what});
  }
  void CutLink(int n, int parent, const char* why);
  void SelectDescendants();
  auto RowKey() const {
    return [this](int r) { return book_.Row(r).id; };
  }
  auto NodeKey() const {
    return [this](int n) { return nodes_[n].id; };
  }
  void IndexRows();
  int AddRowNode(int r, int depth);
  int AddNamedNode(std::string_view id, uint32_t hash, int depth);
  void Select();
  void ScanParentNames();
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

  IdTable row_index_;            // first row of each id
  std::vector<char> first_row_;  // by row: the first row of its id
  std::vector<Node> nodes_;      // selected animals (before OrderNodes: in selection order)
  IdTable node_index_;           // nodes_ by id
  std::vector<long> rank_;       // by node: place in the numbering of the whole graph
  std::vector<int> keep_nodes_;  // by keep id: its node, -1 when not in the herd book
  std::vector<std::string> breed_names_;  // by code - 1
  std::unordered_map<std::string_view, int> breed_codes_;
  std::vector<std::vector<int>> families_;                   // members, herd-book order
  std::unordered_map<int, std::vector<long>> merged_lines_;  // first row -> its duplicates' lines
  std::unordered_map<int, std::string> notes_;               // node -> repairs done
  std::vector<std::pair<std::pair<int, long>, std::string>> repairs_;  // by (file, line)
  std::unordered_map<std::string_view, long> founders_;                // breed -> founders
  PreparedPedigree result_;
};

void Builder::IndexRows() {
  const std::size_t count = book_.RowCount();
  constexpr std::size_t kAhead = 16;
  row_index_.Reserve(count);
  first_row_.assign(count, 0);
  for (std::size_t r = 0; r < count; ++r) {
    if (r + kAhead < count) row_index_.Prefetch(book_.Row(r + kAhead).id_hash);
    const HerdbookRow& row = book_.Row(r);
    const int first = row_index_.Insert(row.id, row.id_hash, static_cast<int>(r), RowKey());
    if (first == static_cast<int>(r)) {
      first_row_[r] = 1;
    } else if (book_.SameData(first, r)) {
      ++result_.counts.duplicates_merged;
      merged_lines_[first].push_back(row.line);
    } else {
      const HerdbookRow& earlier = book_.Row(first);
      Problem(row,
              "animal " + CutForMessage(row.id) + " appears again with different data (first at " +
                  (earlier.file == row.file ? "" : book_.files[earlier.file] + " ") + "line " +
                  std::to_string(earlier.line) + ")",
              ProblemKind::kConflictingDuplicate);
    }
  }
}

int Builder::AddRowNode(int r, int depth) {
  const HerdbookRow& row = book_.Row(r);
  Node node;
  node.id = row.id;
  node.hash = row.id_hash;
  node.row = r;
  node.line = row.line;
  node.file = row.file;
  node.order = 4 * static_cast<long>(r) + 3;
  node.sex = row.sex;
  node.breed = row.breed;
  node.depth = depth;
  nodes_.push_back(node);
  rank_.push_back(r);
  return node_index_.Insert(node.id, node.hash, static_cast<int>(nodes_.size()) - 1, NodeKey());
}

// The node of `id` (made when new): its row's, else an added parent's (which has line,
// order and rank once a row names it, see ScanParentNames).
int Builder::AddNamedNode(std::string_view id, uint32_t hash, int depth) {
  const int known = node_index_.Find(id, hash, NodeKey());
  if (known >= 0) return known;
  const int r = row_index_.Find(id, hash, RowKey());
  if (r >= 0) return AddRowNode(r, depth);
  Node parent;
  parent.id = id;
  parent.hash = hash;
  parent.added = Added::kParent;
  parent.depth = depth;
  nodes_.push_back(parent);
  rank_.push_back(-1);
  return node_index_.Insert(id, hash, static_cast<int>(nodes_.size()) - 1, NodeKey());
}

void Builder::Select() {
  const std::size_t count = book_.RowCount();
  if (!options_.keep_given) {
    node_index_.Reserve(count + count / 4);
    nodes_.reserve(count + count / 4);
    for (std::size_t r = 0; r < count; ++r) {
      if (first_row_[r]) AddRowNode(static_cast<int>(r), 0);
    }
    return;
  }
  // Breadth first from the kept animals, so that depth counts the shortest line of descent.
  for (const std::string& id : options_.keep_ids) {
    keep_nodes_.push_back(AddNamedNode(id, Low32(IdHash(id)), 0));
  }
  for (std::size_t next = 0; next < nodes_.size(); ++next) {
    const Node node = nodes_[next];
    result_.deepest = std::max(result_.deepest, node.depth);
    if (node.row < 0) continue;
    if (options_.generations >= 0 && node.depth >= options_.generations) continue;
    const HerdbookRow& row = book_.Row(node.row);
    if (!row.sire.empty()) AddNamedNode(row.sire, row.sire_hash, node.depth + 1);
    if (!row.dam.empty()) AddNamedNode(row.dam, row.dam_hash, node.depth + 1);
  }
  if (options_.descendants > 0) SelectDescendants();
}

void Builder::SelectDescendants() {
  // Offspring rows of every name, then breadth first down from the kept animals; a
  // descendant's other parent is selected without its own parents.
  std::unordered_map<std::string_view, std::vector<int>> offspring;
  const std::size_t count = book_.RowCount();
  for (std::size_t r = 0; r < count; ++r) {
    if (!first_row_[r]) continue;
    const HerdbookRow& row = book_.Row(r);
    if (!row.sire.empty()) offspring[row.sire].push_back(static_cast<int>(r));
    if (!row.dam.empty() && row.dam != row.sire) offspring[row.dam].push_back(static_cast<int>(r));
  }
  std::vector<std::pair<int, int>> queue;  // (node, generations below a kept animal)
  for (int n : keep_nodes_) queue.push_back({n, 0});
  for (std::size_t next = 0; next < queue.size(); ++next) {
    const auto [n, down] = queue[next];
    if (down >= options_.descendants) continue;
    const auto found = offspring.find(nodes_[n].id);
    if (found == offspring.end()) continue;
    for (int r : found->second) {
      const HerdbookRow& row = book_.Row(r);
      const std::size_t before = nodes_.size();
      const int child = AddNamedNode(row.id, row.id_hash, kNoAncestors);
      if (nodes_.size() > before) queue.push_back({child, down + 1});
      const bool by_sire = nodes_[n].id == row.sire;
      const std::string_view other = by_sire ? row.dam : row.sire;
      if (!other.empty()) AddNamedNode(other, by_sire ? row.dam_hash : row.sire_hash, kNoAncestors);
    }
  }
}

void Builder::ScanParentNames() {
  // Every first row names parents; a named parent that is selected learns its role, and an
  // added one its line, place and breed from the first row naming it. Without a selection
  // every name is an animal: one without a row becomes an added parent here.
  const std::size_t count = book_.RowCount();
  long added = 0;
  for (std::size_t r = 0; r < count; ++r) {
    if (!first_row_[r]) continue;
    const HerdbookRow& row = book_.Row(r);
    for (int role = 0; role < 2; ++role) {
      const std::string_view name = role == 0 ? row.sire : row.dam;
      if (name.empty()) continue;
      const uint32_t hash = role == 0 ? row.sire_hash : row.dam_hash;
      int p = options_.keep_given ? node_index_.Find(name, hash, NodeKey())
                                  : AddNamedNode(name, hash, 0);
      if (p < 0) continue;
      Node& parent = nodes_[p];
      if (parent.added == Added::kParent) {
        if (rank_[p] < 0) {
          rank_[p] = static_cast<long>(count) + added++;
          parent.line = row.line;
          parent.file = row.file;
          parent.order = 4 * static_cast<long>(r) + role;
          parent.sex = role == 0 ? Sex::kMale : Sex::kFemale;
        }
        if (parent.breed.empty()) parent.breed = row.breed;
      }
      (role == 0 ? parent.used_as_sire : parent.used_as_dam) = true;
    }
  }
}

void Builder::OrderNodes() {
  // A kept id that no row has nor names is no animal.
  for (std::size_t k = 0; k < keep_nodes_.size(); ++k) {
    if (rank_[keep_nodes_[k]] >= 0) continue;
    keep_problems_.push_back({options_.keep_name, options_.keep_lines[k],
                              "id " + options_.keep_ids[k] + " is not in the herd book",
                              options_.keep_ids[k], "", ProblemKind::kKeepIdUnknown});
  }
  std::vector<int> order;
  order.reserve(nodes_.size());
  for (std::size_t n = 0; n < nodes_.size(); ++n) {
    if (rank_[n] >= 0) order.push_back(static_cast<int>(n));
  }
  std::sort(order.begin(), order.end(), [this](int a, int b) { return rank_[a] < rank_[b]; });
  std::vector<int> new_number(nodes_.size(), -1);
  std::vector<Node> ordered;
  ordered.reserve(order.size() + order.size() / 4);
  for (int n : order) {
    new_number[n] = static_cast<int>(ordered.size());
    ordered.push_back(nodes_[n]);
  }
  // Parent links within the selection; a parent outside it is unknown.
  auto selected = [&](std::string_view name, uint32_t hash) {
    if (name.empty()) return -1;
    const int n = node_index_.Find(name, hash, NodeKey());
    return n < 0 ? -1 : new_number[n];
  };
  for (Node& node : ordered) {
    if (node.row < 0) continue;
    const HerdbookRow& row = book_.Row(node.row);
    node.sire = selected(row.sire, row.sire_hash);
    node.dam = selected(row.dam, row.dam_hash);
  }
  nodes_.swap(ordered);
  node_index_ = IdTable();
}

void Builder::CheckRoles() {
  for (std::size_t n = 0; n < nodes_.size(); ++n) {
    Node& node = nodes_[n];
    if (node.used_as_sire && node.used_as_dam) {
      Problem(node, "animal " + CutForMessage(node.id) + " is used as sire and as dam",
              ProblemKind::kUsedAsSireAndDam);
      continue;
    }
    if (!node.used_as_sire && !node.used_as_dam) continue;
    const Sex role = node.used_as_sire ? Sex::kMale : Sex::kFemale;
    if (node.sex == Sex::kUnknown) {
      node.sex = role;
      node.sex_inferred = node.added == Added::kNone;
    } else if (node.sex != role && options_.repair) {
      Repair(static_cast<int>(n), std::string("sex ") + SexLetter(node.sex) + " changed to " +
                                      SexLetter(role) + " (a " +
                                      (role == Sex::kMale ? "sire" : "dam") + ")");
      node.sex = role;
    } else if (node.sex != role) {
      Problem(node,
              "animal " + CutForMessage(node.id) + " has sex " + SexLetter(node.sex) +
                  " but is a " + (role == Sex::kMale ? "sire" : "dam") +
                  " (--repair gives way to the role)",
              ProblemKind::kSexConflict);
    }
  }
}

void Builder::CutLink(int n, int parent, const char* why) {
  Node& node = nodes_[n];
  const bool sire = node.sire == parent;
  (sire ? node.sire : node.dam) = -1;
  Repair(n, std::string(sire ? "sire" : "dam") + " link to " + CutForMessage(nodes_[parent].id) +
                " cut (" + why + ")");
}

// "a -> b -> c -> a", with the middle of a long chain left out.
std::string ChainText(const std::vector<Node>& nodes, const std::vector<int>& cycle) {
  constexpr std::size_t kShown = 6;
  std::string chain;
  for (std::size_t i = 0; i < cycle.size(); ++i) {
    if (cycle.size() > kShown && i == kShown / 2) {
      chain += "... (" + std::to_string(cycle.size() - kShown + 1) + " more) -> ";
      i = cycle.size() - kShown / 2;
    }
    chain += CutForMessage(nodes[cycle[i]].id) + " -> ";
  }
  return chain + CutForMessage(nodes[cycle[0]].id);
}

void Builder::FindCycles() {
  if (!options_.repair) {
    // Reported only: one cycle per strongly connected component, in linear time.
    std::vector<int> sire(nodes_.size()), dam(nodes_.size());
    for (std::size_t n = 0; n < nodes_.size(); ++n) {
      sire[n] = nodes_[n].sire;
      dam[n] = nodes_[n].dam;
    }
    for (std::vector<int>& cycle : AncestryCycles(sire, dam)) {
      const auto first = std::min_element(cycle.begin(), cycle.end(), [this](int a, int b) {
        return nodes_[a].order < nodes_[b].order;
      });
      std::rotate(cycle.begin(), first, cycle.end());
      const Node& member = nodes_[cycle[0]];
      Problem(member,
              "animal " + CutForMessage(member.id) +
                  (cycle.size() == 1 ? " is its own parent: " : " is its own ancestor: ") +
                  ChainText(nodes_, cycle) + " (--repair cuts a link)",
              ProblemKind::kAncestryCycle);
    }
    return;
  }
  // Depth-first search along parent links; a link to an animal still on the path closes a
  // cycle: path[k] -> path[k + 1] -> ... -> top -> path[k], each the offspring of the next.
  // The repair cuts one link of the cycle; the path above the cut is searched again later.
  std::vector<char> state(nodes_.size(), 0);  // 0 not seen, 1 on the path, 2 done
  std::vector<std::pair<int, int>> path;      // (animal, next parent link 0..2)
  for (std::size_t start = 0; start < nodes_.size(); ++start) {
    if (state[start] != 0) continue;
    path.push_back({static_cast<int>(start), 0});
    state[start] = 1;
    while (!path.empty()) {
      auto& [n, link] = path.back();
      if (link == 2) {
        state[n] = 2;
        path.pop_back();
        continue;
      }
      const int parent = link == 0 ? nodes_[n].sire : nodes_[n].dam;
      ++link;
      if (parent < 0 || state[parent] == 2) continue;
      if (state[parent] == 0) {
        state[parent] = 1;
        path.push_back({parent, 0});
        continue;
      }
      std::size_t k = path.size();
      while (path[k - 1].first != parent) --k;
      std::vector<int> cycle;
      for (std::size_t i = k - 1; i < path.size(); ++i) cycle.push_back(path[i].first);
      // Cut at the member whose row comes last: its link to the next member.
      std::size_t last = 0;
      for (std::size_t i = 1; i < cycle.size(); ++i) {
        if (nodes_[cycle[i]].order > nodes_[cycle[last]].order) last = i;
      }
      const int cut_parent = cycle[(last + 1) % cycle.size()];
      CutLink(cycle[last], cut_parent,
              cycle.size() == 1 ? "own parent"
                                : ("ancestry cycle " + ChainText(nodes_, cycle)).c_str());
      const std::size_t keep = k + last;  // path entries up to the member cut
      while (path.size() > keep) {
        state[path.back().first] = 0;
        path.pop_back();
      }
    }
  }
}

void Builder::AddDummies() {
  const std::size_t count = nodes_.size();
  for (std::size_t n = 0; n < count; ++n) {
    if ((nodes_[n].sire < 0) == (nodes_[n].dam < 0)) continue;
    Node dummy;
    dummy.line = nodes_[n].line;
    dummy.file = nodes_[n].file;
    dummy.order = nodes_[n].order - 1;
    dummy.added = Added::kDummy;
    dummy.sex = nodes_[n].sire < 0 ? Sex::kMale : Sex::kFemale;
    dummy.breed = nodes_[n].row >= 0 ? book_.Row(nodes_[n].row).breed : nodes_[n].breed;
    dummy.dummy_child = static_cast<int>(n);
    (nodes_[n].sire < 0 ? nodes_[n].sire : nodes_[n].dam) = static_cast<int>(nodes_.size());
    nodes_.push_back(dummy);
  }
}

void Builder::SettleSexesAndBreeds() {
  ImportCounts& counts = result_.counts;
  for (std::size_t n = 0; n < nodes_.size(); ++n) {
    Node& node = nodes_[n];
    ++counts.animals;
    counts.parents_added += node.added == Added::kParent;
    counts.dummies_added += node.added == Added::kDummy;
    counts.sexes_inferred += node.sex_inferred;
    if (node.sex == Sex::kUnknown) {
      if (options_.default_sex != Sex::kUnknown) {
        node.sex = options_.default_sex;
        ++counts.default_sexes;
      } else if (node.row < 0 || !book_.Row(node.row).faulty) {
        Problem(node, "animal " + CutForMessage(node.id) + " has no sex (use --default-sex)",
                ProblemKind::kNoSex);
      }
    }
    if (node.sire >= 0) continue;
    if (!node.breed.empty() && !options_.breed_map.empty()) {
      const auto mapped = options_.breed_map.find(node.breed);
      if (mapped != options_.breed_map.end()) node.breed = mapped->second;
    }
    if (node.breed.empty()) {
      if (!options_.default_breed.empty()) {
        node.breed = options_.default_breed;
        node.breed_defaulted = true;
        ++counts.default_breeds;
      } else {
        Problem(node,
                (node.added == Added::kDummy ? "" : "founder ") + NameOf(nodes_, n) +
                    " has no breed (use --default-breed)",
                ProblemKind::kNoBreed);
        continue;
      }
    }
    ++founders_[node.breed];
    if (breed_codes_.emplace(node.breed, 0).second) breed_names_.emplace_back(node.breed);
  }
}

void Builder::CodeBreeds() {
  std::vector<std::string>& names = breed_names_;
  const bool numbers = std::all_of(names.begin(), names.end(), [](const std::string& name) {
    return name.size() <= 2 && std::all_of(name.begin(), name.end(), ::isdigit) &&
           std::stoi(name) >= 1 && std::stoi(name) <= kMaxBreeds && name[0] != '0';
  });
  if (numbers) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return std::stoi(a) < std::stoi(b);
    });
    for (const std::string& name : names) {
      const int code = std::stoi(name);
      if (static_cast<int>(result_.breeds.size()) < code) result_.breeds.resize(code);
      result_.breeds[code - 1] = name;
      breed_codes_[name] = code;
    }
    CountFounders();
    return;
  }
  std::sort(names.begin(), names.end());
  if (names.size() > static_cast<std::size_t>(kMaxBreeds)) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    total_problems_.push_back({options_.herdbook_name, 0,
                               std::to_string(names.size()) +
                                   " breeds among the founders, at most " +
                                   std::to_string(kMaxBreeds) + ": " + list +
                                   " (merge them with --breed-map or --rename-breed)",
                               "", "", ProblemKind::kTooManyBreeds});
    result_.over_capacity = true;
    return;
  }
  for (std::size_t i = 0; i < names.size(); ++i) breed_codes_[names[i]] = static_cast<int>(i + 1);
  result_.breeds = names;
  const std::string legend = BreedLegendProblem(names);
  if (!legend.empty()) {
    total_problems_.push_back(
        {options_.herdbook_name, 0, legend, "", "", ProblemKind::kBreedLegend});
  }
  CountFounders();
}

void Builder::CountFounders() {
  result_.breed_founders.assign(result_.breeds.size(), 0);
  for (std::size_t i = 0; i < result_.breeds.size(); ++i) {
    if (result_.breeds[i].empty()) continue;
    const auto found = founders_.find(result_.breeds[i]);
    if (found != founders_.end()) result_.breed_founders[i] = found->second;
  }
}

void Builder::GroupFamilies() {
  LoopCounter graph(nodes_.size());
  for (std::size_t n = 0; n < nodes_.size(); ++n) {
    graph.AddChild(static_cast<int>(n), nodes_[n].sire, nodes_[n].dam);
  }
  std::vector<int> members(nodes_.size());
  std::iota(members.begin(), members.end(), 0);
  std::sort(members.begin(), members.end(),
            [this](int a, int b) { return nodes_[a].order < nodes_[b].order; });
  std::unordered_map<int, int> family_of_root;
  std::vector<int> family_of(nodes_.size());
  PedigreeSize size;
  for (int n : members) {
    auto [it, inserted] =
        family_of_root.emplace(graph.Family(n), static_cast<int>(families_.size()));
    if (inserted) {
      families_.emplace_back();
      size.family_loops.push_back(graph.LoopsAround(n));
    }
    families_[it->second].push_back(n);
    family_of[n] = it->second;
  }
  ImportCounts& counts = result_.counts;
  counts.loops = graph.Loops();
  counts.families = static_cast<long>(families_.size());
  for (const auto& family : families_) {
    counts.largest_family = std::max(counts.largest_family, static_cast<long>(family.size()));
    size.family_sizes.push_back(static_cast<long>(family.size()));
  }
  std::vector<char> parent(nodes_.size(), 0);
  for (const Node& node : nodes_) {
    if (node.sire >= 0) parent[node.sire] = 1;
    if (node.dam >= 0) parent[node.dam] = 1;
  }
  for (std::size_t n = 0; n < nodes_.size(); ++n) {
    const Node& node = nodes_[n];
    if (parent[n] && node.row >= 0 && book_.Row(node.row).nation == kNation9 &&
        size.family_loops[family_of[n]] > 0) {
      ++counts.nation9_parents;
    }
  }
  // (Rows left out for their own problems are reported already.)
  if (counts.animals == 0 &&
      (book_.rows_read == 0 || (options_.keep_given && options_.keep_ids.empty()))) {
    total_problems_.push_back(
        {options_.herdbook_name, 0, "no animals", "", "", ProblemKind::kFile});
  }
  size.animals = counts.animals;
  size.loops = counts.loops;
  for (ImportProblem& problem : CapacityProblems(size, options_.used, options_.herdbook_name)) {
    total_problems_.push_back(std::move(problem));
    result_.over_capacity = true;
  }
}

void Builder::Number() {
  std::vector<int> position(nodes_.size(), 0);
  std::vector<int> individual(nodes_.size(), 0);
  std::vector<std::vector<int>> offspring(nodes_.size());
  std::vector<int> waiting(nodes_.size(), 0);
  for (const auto& family : families_) {
    for (int n : family) {
      for (int parent : {nodes_[n].sire, nodes_[n].dam}) {
        if (parent >= 0) {
          offspring[parent].push_back(n);
          ++waiting[n];
        }
      }
    }
  }
  auto later = [this](int a, int b) { return nodes_[a].order > nodes_[b].order; };
  result_.animals.reserve(result_.counts.animals);
  for (std::size_t f = 0; f < families_.size(); ++f) {
    std::priority_queue<int, std::vector<int>, decltype(later)> ready(later);
    for (int n : families_[f]) {
      if (waiting[n] == 0) ready.push(n);
    }
    int number = 0;
    while (!ready.empty()) {
      const int n = ready.top();
      ready.pop();
      const Node& node = nodes_[n];
      individual[n] = ++number;
      position[n] = static_cast<int>(result_.animals.size()) + 1;
      PreparedAnimal animal;
      animal.id = std::string(node.id);
      animal.added = node.added;
      animal.family = static_cast<int>(f) + 1;
      animal.individual = number;
      if (node.sire >= 0) {
        animal.father = individual[node.sire];
        animal.mother = individual[node.dam];
        animal.sire_ini = position[node.sire];
        animal.dam_ini = position[node.dam];
      } else {
        animal.breed_code = breed_codes_.at(node.breed);
      }
      animal.sex = node.sex;
      animal.note = NoteOf(n);
      if (node.row >= 0) {
        const HerdbookRow& row = book_.Row(node.row);
        animal.nation = row.nation;
        animal.has_markers = row.has_markers;
        const int32_t* markers = book_.Markers(node.row);
        animal.markers.assign(markers,
                              markers + std::min(options_.marker_count, book_.marker_count));
      }
      result_.animals.push_back(std::move(animal));
      for (int child : offspring[n]) {
        if (--waiting[child] == 0) ready.push(child);
      }
    }
  }
}

std::string Builder::NoteOf(int n) const {
  const Node& node = nodes_[n];
  std::string note;
  auto add = [&note](const std::string& text) { note += (note.empty() ? "" : "; ") + text; };
  if (node.added == Added::kParent) add("added parent");
  if (node.added == Added::kDummy) {
    add(std::string(node.sex == Sex::kMale ? "dummy sire of " : "dummy dam of ") +
        std::string(nodes_[node.dummy_child].id));
  }
  if (node.sex_inferred) add("sex inferred from role");
  if (node.breed_defaulted) add("breed from --default-breed");
  if (node.row >= 0) {
    const auto merged = merged_lines_.find(node.row);
    if (merged != merged_lines_.end()) {
      for (long line : merged->second) add("merged with line " + std::to_string(line));
    }
  }
  const auto repaired = notes_.find(n);
  if (repaired != notes_.end()) add(repaired->second);
  return note;
}

PreparedPedigree Builder::Build() {
  result_.counts.rows_read = book_.rows_read;
  IndexRows();
  Select();
  ScanParentNames();
  OrderNodes();
  CheckRoles();
  FindCycles();
  AddDummies();
  SettleSexesAndBreeds();
  CodeBreeds();
  GroupFamilies();
  auto file_index = [this](const std::string& file) {
    return std::find(book_.files.begin(), book_.files.end(), file) - book_.files.begin();
  };
  std::stable_sort(problems_.begin(), problems_.end(),
                   [&file_index](const ImportProblem& a, const ImportProblem& b) {
                     return std::make_pair(file_index(a.file), a.line) <
                            std::make_pair(file_index(b.file), b.line);
                   });
  for (auto* list : {&problems_, &keep_problems_, &total_problems_}) {
    out_->insert(out_->end(), list->begin(), list->end());
  }
  std::stable_sort(repairs_.begin(), repairs_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& repair : repairs_) result_.repairs.push_back(std::move(repair.second));
  if (problems_.empty() && keep_problems_.empty() && total_problems_.empty()) Number();
  return std::move(result_);
}

}  // namespace

PreparedPedigree PreparePedigree(const Herdbook& book, const PrepareOptions& options,
                                 std::vector<ImportProblem>* problems) {
  return Builder(book, options, problems).Build();
}

}  // namespace pedprep
