#include "structure/fast_family_rows.h"

#include <algorithm>

namespace pedprep {

void FamilyRows::Open(int32_t s) {
  family_ = s;
  first_ = std::max(1, store_.INS[s + 1] + 1);
  last_in_store_ = std::min<int32_t>(store_.INS[s + 2], kMaxRows);
  if (last_in_store_ < first_ - 1) last_in_store_ = first_ - 1;
  copies_.clear();
}

int FamilyRows::BreedColumns() const { return std::clamp(store_.NRAC, 0, kMaxBreeds); }

FamilyRows::RowData FamilyRows::Row(int32_t position) const {
  if (IsHeld(position)) return Held(position);
  RowData row;
  row.mas0 = store_.MAS0[position];
  row.ifon = store_.IFON[position];
  row.ini_id = store_.INI_ID[position];
  row.mas1 = store_.MAS1[position];
  row.mas = store_.MAS[position];
  row.prace = store_.PRACE[position];
  return row;
}

void FamilyRows::SetParent(int32_t position, int column, int16_t value) {
  if (IsHeld(position)) {
    copies_[position - last_in_store_ - 1].mas[column] = value;
  } else {
    store_.MAS[position][column] = value;
  }
}

int32_t FamilyRows::AppendCopy(int32_t source, int16_t number) {
  const RowData& from = Row(source);
  RowData copy;
  copy.mas0 = from.mas0;
  copy.ifon = from.ifon;
  copy.ini_id = from.ini_id;
  copy.mas1[1] = static_cast<uint8_t>(kBreedLoopCopy);
  copy.mas1[2] = from.mas1[2];
  copy.mas[1] = number;
  const int breeds = BreedColumns();
  std::copy(from.prace.begin() + 1, from.prace.begin() + 1 + breeds, copy.prace.begin() + 1);
  copies_.push_back(copy);
  return Last();
}

std::vector<FamilyMember> FamilyRows::Members() const {
  std::vector<FamilyMember> members;
  members.reserve(std::max(0, Last() - first_ + 1));
  for (int32_t position = first_; position <= Last(); ++position) {
    members.push_back({Number(position), Father(position), Mother(position), position});
  }
  return members;
}

void FamilyRows::Flush() {
  const int32_t count = static_cast<int32_t>(copies_.size());
  if (count == 0) return;
  // Move the later positions up by `count`, from the last down. Breed fractions move only
  // in the columns 1..NRAC the run uses; the other columns stay with their position.
  const int breeds = BreedColumns();
  for (int32_t p = store_.ND; p > last_in_store_; --p) {
    const int32_t to = p + count;
    store_.MAS0[to] = store_.MAS0[p];
    store_.IFON[to] = store_.IFON[p];
    store_.INI_ID[to] = store_.INI_ID[p];
    store_.MAS1[to][1] = store_.MAS1[p][1];
    store_.MAS1[to][2] = store_.MAS1[p][2];
    for (int c = 1; c <= 3; ++c) store_.MAS[to][c] = store_.MAS[p][c];
    std::copy(store_.PRACE[p].begin() + 1, store_.PRACE[p].begin() + 1 + breeds,
              store_.PRACE[to].begin() + 1);
  }
  for (int32_t i = 0; i < count; ++i) {
    const RowData& copy = copies_[i];
    const int32_t to = last_in_store_ + 1 + i;
    store_.MAS0[to] = copy.mas0;
    store_.IFON[to] = copy.ifon;
    store_.INI_ID[to] = copy.ini_id;
    store_.MAS1[to][1] = copy.mas1[1];
    store_.MAS1[to][2] = copy.mas1[2];
    for (int c = 1; c <= 3; ++c) store_.MAS[to][c] = copy.mas[c];
    std::copy(copy.prace.begin() + 1, copy.prace.begin() + 1 + breeds,
              store_.PRACE[to].begin() + 1);
  }
  const int32_t families = store_.INS[1];
  for (int32_t j = family_ + 2; j <= families + 2 && j <= kInsEntries; ++j) {
    store_.INS[j] = static_cast<int16_t>(store_.INS[j] + count);
  }
  store_.ND += count;
  last_in_store_ += count;
  copies_.clear();
}

}  // namespace pedprep
