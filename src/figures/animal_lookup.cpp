#include "figures/animal_lookup.h"

#include <charconv>

#include "core/nearest_ids.h"
#include "core/pedigree_store.h"
#include "figures/run_facts.h"
#include "reading/family_view.h"
#include "reading/observed_run.h"

namespace pedprep {

bool ParseWholeNumber(const std::string& text, int32_t* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

AnimalLookup::AnimalLookup(const RunFacts& facts) : facts_(facts), st_(facts.run().run->store) {}

int32_t AnimalLookup::rows() const {
  if (!rows_) rows_ = st_.NumFamilies() == 0 ? 0 : st_.FamilyLast(st_.NumFamilies());
  return *rows_;
}

const AnimalLookup::ReadIndex& AnimalLookup::Read() const {
  if (read_) return *read_;
  read_.emplace();
  const AnimalTable* table = facts_.Animals();
  if (table == nullptr) return *read_;
  read_->by_line.assign(table->links.size(), nullptr);
  for (const AnimalRow& row : table->rows) {
    if (row.copy_of != 0 || row.source < 1) continue;
    read_->by_line[static_cast<std::size_t>(row.source - 1)] = &row;
    const std::string id = facts_.run().Id(row.ini_id);
    if (!id.empty() && read_->by_id.emplace(id, &row).second) read_->ids.push_back(id);
    read_->by_numbers.emplace(std::to_string(row.family) + ":" + std::to_string(row.individual),
                              &row);
  }
  return *read_;
}

const AnimalRow* AnimalLookup::Find(const std::string& text) const {
  const ReadIndex& read = Read();
  auto it = read.by_id.find(text);
  if (it != read.by_id.end()) return it->second;
  it = read.by_numbers.find(text);
  return it == read.by_numbers.end() ? nullptr : it->second;
}

const AnimalRow* AnimalLookup::AtLine(int32_t line) const {
  const ReadIndex& read = Read();
  if (line < 1 || static_cast<std::size_t>(line) > read.by_line.size()) return nullptr;
  return read.by_line[static_cast<std::size_t>(line - 1)];
}

std::string AnimalLookup::NearestNote(const std::string& text) const {
  return NearestIdsNote(text, Read().ids);
}

int32_t AnimalLookup::Holder(int32_t ini_id) const {
  const int32_t last = rows();
  for (int32_t p = 1; p <= last; ++p) {
    if (st_.INI_ID[p] == ini_id) return p;
  }
  return 0;
}

int32_t AnimalLookup::IniOfId(const std::string& id) const {
  for (const auto& [ini_id, row] : facts_.run().ids) {
    if (row.id == id && !row.id.empty()) return ini_id;
  }
  return 0;
}

bool AnimalLookup::FamilyNumber(const std::string& text, int* s, int32_t* number) const {
  const std::size_t colon = text.find(':');
  int32_t family = 0;
  if (colon == std::string::npos || !ParseWholeNumber(text.substr(0, colon), &family) ||
      !ParseWholeNumber(text.substr(colon + 1), number)) {
    return false;
  }
  *s = FamilyIndex(st_, family);
  return *s != 0;
}

std::string AnimalLookup::NearestStoredNote(const std::string& text) const {
  std::vector<std::string> ids;
  for (const auto& [ini_id, row] : facts_.run().ids) ids.push_back(row.id);
  return NearestIdsNote(text, ids);
}

}  // namespace pedprep
