#include "import/pedigree_builder.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <queue>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/loop_count.h"
#include "import/ancestry_cycles.h"
#include "import/capacity.h"
#include "import/largest_families.h"
#include "import/pedigree_builder_state.h"
#include "records/escape.h"
#include "records/input_folder.h"

namespace pedprep {
namespace pedigree_building {
namespace {

constexpr int kNation9 = 9;  // the nation code whose copies get parent copies in the run

// "1990..2000", "1990.." or "..2000".
std::string BornRange(const PrepareOptions& options) {
  return (options.born_from != 0 ? std::to_string(options.born_from) : "") + ".." +
         (options.born_to != 0 ? std::to_string(options.born_to) : "");
}

const char* SexLetter(Sex sex) { return sex == Sex::kMale ? "M" : "F"; }

std::string NameOf(const std::vector<Node>& nodes, int n) {
  const Node& node = nodes[n];
  if (node.added != Added::kDummy) return CutForMessage(node.id);
  return std::string(node.sex == Sex::kMale ? "dummy sire of " : "dummy dam of ") +
         CutForMessage(nodes[node.dummy_child].id);
}

}  // namespace

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
    dummy.breed = !options_.dummy_breed.empty() ? std::string_view(options_.dummy_breed)
                  : nodes_[n].row >= 0          ? book_.Row(nodes_[n].row).breed
                                                : nodes_[n].breed;
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
        node.sex_defaulted = true;
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
    const bool born = options_.born_from != 0 || options_.born_to != 0;
    total_problems_.push_back({options_.herdbook_name, 0,
                               born ? "no animals born in " + BornRange(options_) : "no animals",
                               "", "", ProblemKind::kFile});
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
      animal.parents_cut = node.sire_cut  ? (node.dam_cut ? "both" : "sire")
                           : node.dam_cut ? "dam"
                                          : "";
      if (node.row >= 0) {
        const HerdbookRow& row = book_.Row(node.row);
        animal.nation = row.nation;
        animal.born = row.born;
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
  if (node.sex_defaulted) add("sex from --default-sex");
  if (node.breed_defaulted) add("breed from --default-breed");
  if (node.row >= 0) {
    const auto merged = index_->merged_lines.find(node.row);
    if (merged != index_->merged_lines.end()) {
      for (long line : merged->second) add("merged with line " + std::to_string(line));
    }
  }
  const auto repaired = notes_.find(n);
  if (repaired != notes_.end()) add(repaired->second);
  return note;
}

PreparedPedigree Builder::Build() {
  result_.counts.rows_read = book_.rows_read;
  result_.marker_zeros = book_.marker_zeros;
  result_.has_born = book_.has_born;
  if (index_ == nullptr) {  // this selection's own: its rows and problems are taken over
    IndexRows(&own_index_);
    index_ = &own_index_;
    first_row_.swap(own_index_.first_row);
    problems_.swap(own_index_.conflicts);
  } else {
    first_row_ = index_->first_row;
    problems_ = index_->conflicts;
  }
  result_.counts.duplicates_merged = index_->duplicates_merged;
  if (options_.used.drop_isolated) DropIsolated();
  if (options_.used.largest_families >= 0) {
    const FamilyChoice choice = LargestFamilies(
        book_, first_row_,
        [this](std::string_view id, uint32_t hash) {
          return index_->rows.Find(id, hash, RowKey());
        },
        options_.used.largest_families);
    for (std::size_t r = 0; r < first_row_.size(); ++r) first_row_[r] &= choice.rows[r];
    result_.counts.families_in_book = choice.families;
  }
  Select();
  if (index_->namings.empty() || !options_.keep_given || options_.used.largest_families >= 0) {
    ScanParentNames();
  } else {
    TakeParentNamings();
  }
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

}  // namespace pedigree_building

PreparedPedigree PreparePedigree(const Herdbook& book, const PrepareOptions& options,
                                 std::vector<ImportProblem>* problems) {
  return pedigree_building::Builder(book, options, problems).Build();
}

RepeatedSelection::RepeatedSelection(const Herdbook& book, const PrepareOptions& options)
    : book_(book), options_(options) {
  std::vector<ImportProblem> unused;
  index_ = std::make_unique<pedigree_building::BookIndex>(
      pedigree_building::Builder(book_, options_, &unused).IndexBook());
}

RepeatedSelection::~RepeatedSelection() = default;

PreparedPedigree RepeatedSelection::Select(int generations, std::vector<ImportProblem>* problems) {
  PrepareOptions options = options_;
  options.generations = generations;
  return pedigree_building::Builder(book_, options, problems, index_.get()).Build();
}

}  // namespace pedprep
