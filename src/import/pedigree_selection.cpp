#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/nearest_ids.h"
#include "import/id_hash.h"
#include "import/largest_families.h"
#include "import/pedigree_builder_state.h"
#include "records/count_text.h"
#include "records/escape.h"
#include "records/text_case.h"

namespace pedprep::pedigree_building {

namespace {

// `--missing WORD` as typed at a shell: WORD in single quotes unless it is plain, and after
// '=' when it starts with '-' (else it would read as an option).
std::string MissingOption(std::string_view word) {
  const bool plain = std::all_of(word.begin(), word.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '/' || c == '_' || c == ':' || c == '+' || c == ',';
  });
  std::string quoted;
  if (plain) {
    quoted = std::string(word);
  } else {
    quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
  }
  return (word.front() == '-' ? "--missing=" : "--missing ") + quoted;
}

}  // namespace

// Parents named without a row of their own whose names read like codes for unknown: one
// problem per name (in any letter case) at the first row naming it, with the rows naming it.
void Builder::FindMissingWords(BookIndex* index) {
  struct Word {
    int row = 0;
    std::string_view name;
    long rows = 0;
  };
  std::map<std::string, Word> words;  // by the name in lower case
  const std::size_t count = book_.RowCount();
  for (std::size_t r = 0; r < count; ++r) {
    const HerdbookRow& row = book_.Row(r);
    if (!row.sire_word && !row.dam_word) continue;
    for (int role = 0; role < 2; ++role) {
      if (!(role == 0 ? row.sire_word : row.dam_word)) continue;
      const std::string_view name = role == 0 ? row.sire : row.dam;
      if (index->rows.Find(name, role == 0 ? row.sire_hash : row.dam_hash, RowKey()) >= 0) {
        continue;
      }
      const std::string key = AsciiLower(name);
      Word& word = words[key];
      if (word.rows++ == 0) {
        word.row = static_cast<int>(r);
        word.name = name;
      }
    }
  }
  for (const auto& [key, word] : words) {
    const HerdbookRow& row = book_.Row(word.row);
    // The word as the book writes it, without a --prefix-ids prefix.
    std::string_view bare = word.name;
    if (!ReadsLikeMissingCode(bare)) bare.remove_prefix(bare.rfind(':') + 1);
    index->conflicts.push_back(
        {book_.files[row.file], row.line,
         "parent \"" + CutForMessage(word.name) + "\" of " + Counted(word.rows, "row", "rows") +
             " names no animal and reads like a code for unknown (" + MissingOption(bare) +
             " reads it so; --parents-as-named keeps such names as animals)",
         std::string(word.name), "", ProblemKind::kMissingWord});
  }
}

void Builder::IndexRows(BookIndex* index) {
  const std::size_t count = book_.RowCount();
  constexpr std::size_t kAhead = 16;
  index->rows.Reserve(count);
  index->first_row.assign(count, 0);
  for (std::size_t r = 0; r < count; ++r) {
    if (r + kAhead < count) index->rows.Prefetch(book_.Row(r + kAhead).id_hash);
    const HerdbookRow& row = book_.Row(r);
    const int first = index->rows.Insert(row.id, row.id_hash, static_cast<int>(r), RowKey());
    if (first == static_cast<int>(r)) {
      index->first_row[r] = 1;
    } else if (book_.SameData(first, r)) {
      ++index->duplicates_merged;
      index->merged_lines[first].push_back(row.line);
    } else {
      const HerdbookRow& earlier = book_.Row(first);
      index->conflicts.push_back(
          {book_.files[row.file], row.line,
           "animal " + CutForMessage(row.id) + " appears again with different data (first at " +
               (earlier.file == row.file ? "" : book_.files[earlier.file] + " ") + "line " +
               std::to_string(earlier.line) + ")",
           std::string(row.id), "", ProblemKind::kConflictingDuplicate});
    }
  }
  FindMissingWords(index);
}

// Leaves out the rows (of their ids' first rows) without a parent that no row names as a
// parent: animals without relatives in the book.
void Builder::DropIsolated() {
  const std::size_t count = book_.RowCount();
  std::vector<char> named(count, 0);
  for (std::size_t r = 0; r < count; ++r) {
    if (!first_row_[r]) continue;
    const HerdbookRow& row = book_.Row(r);
    for (int role = 0; role < 2; ++role) {
      const std::string_view name = role == 0 ? row.sire : row.dam;
      if (name.empty()) continue;
      const int p = index_->rows.Find(name, role == 0 ? row.sire_hash : row.dam_hash, RowKey());
      if (p >= 0) named[p] = 1;
    }
  }
  for (std::size_t r = 0; r < count; ++r) {
    const HerdbookRow& row = book_.Row(r);
    if (first_row_[r] && !named[r] && row.sire.empty() && row.dam.empty()) {
      first_row_[r] = 0;
      isolated_rows_.push_back(static_cast<int>(r));
      ++result_.counts.isolated_dropped;
    }
  }
}

BookIndex Builder::IndexBook() {
  BookIndex index;
  IndexRows(&index);
  const std::size_t count = book_.RowCount();
  auto key = [this, &index](int k) { return NamingKey(index.namings[k]); };
  index.names.Reserve(count);
  constexpr std::size_t kAhead = 16;
  for (std::size_t r = 0; r < count; ++r) {
    if (r + kAhead < count) {
      index.names.Prefetch(book_.Row(r + kAhead).sire_hash);
      index.names.Prefetch(book_.Row(r + kAhead).dam_hash);
    }
    if (!index.first_row[r]) continue;
    const HerdbookRow& row = book_.Row(r);
    for (int role = 0; role < 2; ++role) {
      const std::string_view name = role == 0 ? row.sire : row.dam;
      if (name.empty()) continue;
      const int next = static_cast<int>(index.namings.size());
      const int k = index.names.Insert(name, role == 0 ? row.sire_hash : row.dam_hash, next, key);
      if (k == next) index.namings.push_back({static_cast<int>(r), -1, static_cast<int8_t>(role)});
      BookIndex::Naming& naming = index.namings[k];
      if (naming.breed_row < 0 && !row.breed.empty()) naming.breed_row = static_cast<int>(r);
      (role == 0 ? naming.as_sire : naming.as_dam) = true;
    }
  }
  return index;
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
  const int r = index_->rows.Find(id, hash, RowKey());
  if (r >= 0 && first_row_[r]) return AddRowNode(r, depth);
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
  if (options_.born_from != 0 || options_.born_to != 0) {
    for (std::size_t r = 0; r < count; ++r) {
      const HerdbookRow& row = book_.Row(r);
      if (first_row_[r] && row.born != 0 && row.born >= options_.born_from &&
          (options_.born_to == 0 || row.born <= options_.born_to)) {
        born_nodes_.push_back(AddNamedNode(row.id, row.id_hash, 0));
      }
    }
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
  for (const auto* seeds : {&keep_nodes_, &born_nodes_}) {
    for (int n : *seeds) queue.push_back({n, 0});
  }
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

// ScanParentNames from the book's namings: the same roles, lines, breeds and ranks, found per
// selected animal instead of per row of the book.
void Builder::TakeParentNamings() {
  const long count = static_cast<long>(book_.RowCount());
  std::vector<std::pair<long, int>> added;  // (order of the first row naming it, node)
  auto key = [this](int k) { return NamingKey(index_->namings[k]); };
  for (std::size_t p = 0; p < nodes_.size(); ++p) {
    Node& parent = nodes_[p];
    const int k = index_->names.Find(parent.id, parent.hash, key);
    if (k < 0) continue;
    const BookIndex::Naming& naming = index_->namings[k];
    if (parent.added == Added::kParent) {
      const HerdbookRow& row = book_.Row(naming.row);
      parent.line = row.line;
      parent.file = row.file;
      parent.order = 4 * static_cast<long>(naming.row) + naming.role;
      parent.sex = naming.role == 0 ? Sex::kMale : Sex::kFemale;
      if (parent.breed.empty() && naming.breed_row >= 0) {
        parent.breed = book_.Row(naming.breed_row).breed;
      }
      added.push_back({parent.order, static_cast<int>(p)});
    }
    parent.used_as_sire = parent.used_as_sire || naming.as_sire;
    parent.used_as_dam = parent.used_as_dam || naming.as_dam;
  }
  std::sort(added.begin(), added.end());
  for (std::size_t i = 0; i < added.size(); ++i) {
    rank_[added[i].second] = count + static_cast<long>(i);
  }
}

void Builder::OrderNodes() {
  // A kept id that no row has nor names is no animal. The first few get the ids near them
  // (the rest are summed up when shown).
  constexpr std::size_t kWithNearest = 5;
  std::vector<std::string> ids;  // of the rows, for the first one not in the book
  for (std::size_t k = 0; k < keep_nodes_.size(); ++k) {
    if (rank_[keep_nodes_[k]] >= 0) continue;
    const std::string& id = options_.keep_ids[k];
    const int row = index_->rows.Find(id, Low32(IdHash(id)), RowKey());
    const bool dropped = row >= 0;
    const bool isolated = std::binary_search(isolated_rows_.begin(), isolated_rows_.end(), row);
    std::string nearest;
    if (!dropped && keep_problems_.size() < kWithNearest) {
      if (ids.empty()) {
        for (std::size_t r = 0; r < first_row_.size(); ++r) {
          if (first_row_[r]) ids.emplace_back(book_.Row(r).id);
        }
      }
      nearest = NearestIdsNote(id, ids);
    }
    keep_problems_.push_back({options_.keep_name, options_.keep_lines[k],
                              "id " + CutForMessage(id) +
                                  (isolated  ? " has no relatives (--drop-isolated)"
                                   : dropped ? " is not in the families kept (--largest-families)"
                                             : " is not in the herd book" + nearest),
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
    node.sire_cut = !row.sire.empty() && node.sire < 0;
    node.dam_cut = !row.dam.empty() && node.dam < 0;
  }
  nodes_.swap(ordered);
  node_index_ = IdTable();
}

}  // namespace pedprep::pedigree_building
