#include "reading/run_lookup.h"

#include <charconv>

#include "core/pedigree_store.h"
#include "reading/family_view.h"
#include "reading/observed_run.h"

namespace pedprep {

bool ParseWholeNumber(const std::string& text, int32_t* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

Lookup::Lookup(const ObservedRun& run)
    : run_(run),
      st_(run.run->store),
      rows_(st_.NumFamilies() == 0 ? 0 : st_.FamilyLast(st_.NumFamilies())) {}

int32_t Lookup::Holder(int32_t ini_id) const {
  for (int32_t p = 1; p <= rows_; ++p) {
    if (st_.INI_ID[p] == ini_id) return p;
  }
  return 0;
}

int32_t Lookup::IniOfId(const std::string& id) const {
  for (const auto& [ini_id, row] : run_.ids) {
    if (row.id == id && !row.id.empty()) return ini_id;
  }
  return 0;
}

bool Lookup::FamilyNumber(const std::string& text, int* s, int32_t* number) const {
  const std::size_t colon = text.find(':');
  int32_t family = 0;
  if (colon == std::string::npos || !ParseWholeNumber(text.substr(0, colon), &family) ||
      !ParseWholeNumber(text.substr(colon + 1), number)) {
    return false;
  }
  *s = FamilyIndex(st_, family);
  return *s != 0;
}

}  // namespace pedprep
