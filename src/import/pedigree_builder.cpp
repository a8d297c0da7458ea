#include "import/pedigree_builder.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <queue>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "import/id_hash.h"

namespace pedprep {
namespace {

constexpr const char* kChooseFewer = "; choose fewer animals with --keep and --generations";

// One animal of the herd book: a row, a parent named without a row, or a dummy.
struct Node {
  std::string_view id;  // empty for a dummy
  uint32_t hash = 0;    // low 32 bits of IdHash(id)
  int row = -1;         // Herdbook::Row number, -1 for an added parent or a dummy
  long line = 0;        // its row, else the first row naming it (a dummy: its child's row)
  long order = 0;       // place in herd-book order: 4 * row index + 0 added sire, 1 added dam,
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

// Values by id: open addressing with linear probing over a power-of-two table kept at most
// half full. A slot holds the low 32 bits of the id's hash beside the value, so that a
// probe reads the id itself (through `key_of(value)`) only when those bits match.
class IdTable {
 public:
  void Reserve(std::size_t count) {
    std::size_t size = 16;
    while (size < 2 * count) size *= 2;
    if (size > slots_.size()) Rehash(size);
  }
  void Prefetch(uint32_t hash) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
  }
  // The value of `id` (hash: Low32(IdHash(id))), or -1.
  template <typename KeyOf>
  int Find(std::string_view id, uint32_t hash, const KeyOf& key_of) const {
    if (slots_.empty()) return -1;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
      const Slot& slot = slots_[s];
      if (slot.value < 0) return -1;
      if (slot.hash == hash && key_of(slot.value) == id) return slot.value;
    }
  }
  // Adds `value` under `id` unless the id is there; returns the value that has the id.
  template <typename KeyOf>
  int Insert(std::string_view id, uint32_t hash, int value, const KeyOf& key_of) {
    if (2 * (count_ + 1) > slots_.size()) Rehash(std::max<std::size_t>(16, 2 * slots_.size()));
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = hash & mask;
    for (; slots_[s].value >= 0; s = (s + 1) & mask) {
      if (slots_[s].hash == hash && key_of(slots_[s].value) == id) return slots_[s].value;
    }
    slots_[s] = {hash, value};
    ++count_;
    return value;
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    int value = -1;
  };
  void Rehash(std::size_t size) {
    LargeVector<Slot> old(size);
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.value < 0) continue;
      std::size_t s = slot.hash & (slots_.size() - 1);
      while (slots_[s].value >= 0) s = (s + 1) & (slots_.size() - 1);
      slots_[s] = slot;
    }
  }

  LargeVector<Slot> slots_;
  std::size_t count_ = 0;
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
  void Problem(long line, std::string message) {
    problems_.push_back({options_.herdbook_name, line, std::move(message)});
  }
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
  void GroupFamilies();
  void Number();

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
  std::vector<std::vector<int>> families_;  // members, herd-book order
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
    } else {
      Problem(row.line, "animal " + std::string(row.id) +
                            " appears again with different data (first at line " +
                            std::to_string(book_.Row(first).line) + ")");
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
    if (node.row < 0) continue;
    if (options_.generations >= 0 && node.depth >= options_.generations) continue;
    const HerdbookRow& row = book_.Row(node.row);
    if (!row.sire.empty()) AddNamedNode(row.sire, row.sire_hash, node.depth + 1);
    if (!row.dam.empty()) AddNamedNode(row.dam, row.dam_hash, node.depth + 1);
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
                              "id " + options_.keep_ids[k] + " is not in the herd book"});
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
      Problem(node.line, "animal " + std::string(node.id) + " is used as sire and as dam");
      continue;
    }
    if (!node.used_as_sire && !node.used_as_dam) continue;
    const Sex role = node.used_as_sire ? Sex::kMale : Sex::kFemale;
    if (node.sex == Sex::kUnknown) {
      node.sex = role;
      node.sex_inferred = node.added == Added::kNone;
    } else if (node.sex != role) {
      Problem(node.line, "animal " + std::string(node.id) + " has sex " + SexLetter(node.sex) +
                             " but is a " + (role == Sex::kMale ? "sire" : "dam"));
    }
  }
}

void Builder::FindCycles() {
  // Depth-first search along parent links; a link to an animal still on the path closes a
  // cycle: path[k] -> path[k + 1] -> ... -> top -> path[k], each the offspring of the next.
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
      const auto first = std::min_element(cycle.begin(), cycle.end(), [this](int a, int b) {
        return nodes_[a].line < nodes_[b].line;
      });
      std::rotate(cycle.begin(), first, cycle.end());
      std::string chain;
      for (int member : cycle) chain += std::string(nodes_[member].id) + " -> ";
      chain += std::string(nodes_[cycle[0]].id);
      Problem(nodes_[cycle[0]].line,
              "animal " + std::string(nodes_[cycle[0]].id) +
                  (cycle.size() == 1 ? " is its own parent: " : " is its own ancestor: ") + chain);
    }
  }
}

void Builder::AddDummies() {
  const std::size_t count = nodes_.size();
  for (std::size_t n = 0; n < count; ++n) {
    if ((nodes_[n].sire < 0) == (nodes_[n].dam < 0)) continue;
    Node dummy;
    dummy.line = nodes_[n].line;
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
      } else {
        Problem(node.line, "animal " + std::string(node.id) + " has no sex (use --default-sex)");
      }
    }
    if (node.sire >= 0) continue;
    if (node.breed.empty()) {
      if (!options_.default_breed.empty()) {
        node.breed = options_.default_breed;
        ++counts.default_breeds;
      } else {
        Problem(node.line, (node.added == Added::kDummy ? "" : "founder ") + NameOf(nodes_, n) +
                               " has no breed (use --default-breed)");
        continue;
      }
    }
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
    return;
  }
  std::sort(names.begin(), names.end());
  if (names.size() > static_cast<std::size_t>(kMaxBreeds)) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    total_problems_.push_back({options_.herdbook_name, 0,
                               std::to_string(names.size()) +
                                   " breeds among the founders, at most " +
                                   std::to_string(kMaxBreeds) + ": " + list});
    return;
  }
  for (std::size_t i = 0; i < names.size(); ++i) breed_codes_[names[i]] = static_cast<int>(i + 1);
  result_.breeds = names;
}

void Builder::GroupFamilies() {
  std::vector<int> root(nodes_.size());
  std::iota(root.begin(), root.end(), 0);
  std::function<int(int)> find = [&root](int x) {
    while (root[x] != x) x = root[x] = root[root[x]];
    return x;
  };
  for (std::size_t n = 0; n < nodes_.size(); ++n) {
    for (int parent : {nodes_[n].sire, nodes_[n].dam}) {
      if (parent >= 0) root[find(static_cast<int>(n))] = find(parent);
    }
  }
  std::vector<int> members(nodes_.size());
  std::iota(members.begin(), members.end(), 0);
  std::sort(members.begin(), members.end(),
            [this](int a, int b) { return nodes_[a].order < nodes_[b].order; });
  std::unordered_map<int, int> family_of_root;
  for (int n : members) {
    auto [it, inserted] = family_of_root.emplace(find(n), static_cast<int>(families_.size()));
    if (inserted) families_.emplace_back();
    families_[it->second].push_back(n);
  }
  ImportCounts& counts = result_.counts;
  counts.families = static_cast<long>(families_.size());
  for (const auto& family : families_) {
    counts.largest_family = std::max(counts.largest_family, static_cast<long>(family.size()));
  }
  // (Rows left out for their own problems are reported already.)
  if (counts.animals == 0 &&
      (book_.rows_read == 0 || (options_.keep_given && options_.keep_ids.empty()))) {
    total_problems_.push_back({options_.herdbook_name, 0, "no animals"});
  }
  if (counts.animals > kMaxRows) {
    total_problems_.push_back({options_.herdbook_name, 0,
                               std::to_string(counts.animals) + " animals, at most " +
                                   std::to_string(kMaxRows) + kChooseFewer});
  }
  if (counts.families > kMaxFamilies) {
    total_problems_.push_back({options_.herdbook_name, 0,
                               std::to_string(counts.families) + " families, at most " +
                                   std::to_string(kMaxFamilies) + kChooseFewer});
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
    std::set<std::pair<int, int>> matings;
    long children = 0;
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
        matings.insert({node.sire, node.dam});
        ++children;
      } else {
        animal.breed_code = breed_codes_.at(node.breed);
      }
      animal.sex = node.sex;
      if (node.row >= 0) {
        const HerdbookRow& row = book_.Row(node.row);
        animal.nation = row.nation;
        animal.has_markers = row.has_markers;
        const int8_t* markers = book_.Markers(node.row);
        animal.markers.assign(markers,
                              markers + std::min(options_.marker_count, book_.marker_count));
      }
      result_.animals.push_back(std::move(animal));
      for (int child : offspring[n]) {
        if (--waiting[child] == 0) ready.push(child);
      }
    }
    if (!matings.empty()) {
      result_.counts.loops +=
          static_cast<long>(matings.size()) + children - static_cast<long>(families_[f].size()) + 1;
    }
  }
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
  std::stable_sort(problems_.begin(), problems_.end(),
                   [](const ImportProblem& a, const ImportProblem& b) { return a.line < b.line; });
  for (auto* list : {&problems_, &keep_problems_, &total_problems_}) {
    out_->insert(out_->end(), list->begin(), list->end());
  }
  if (problems_.empty() && keep_problems_.empty() && total_problems_.empty()) Number();
  return std::move(result_);
}

}  // namespace

PreparedPedigree PreparePedigree(const Herdbook& book, const PrepareOptions& options,
                                 std::vector<ImportProblem>* problems) {
  return Builder(book, options, problems).Build();
}

}  // namespace pedprep
