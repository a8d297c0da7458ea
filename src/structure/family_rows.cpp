#include "structure/family_rows.h"

#include <algorithm>

namespace pedprep {

void FamilyRows::Open(int32_t s) {
  shift_ = static_cast<int32_t>(copies_.size());
  family_begin_ = shift_;
  family_ = s;
  stored_first_ = std::max(1, store_.INS[s + 1] + 1);
  stored_last_ = std::min<int32_t>(store_.INS[s + 2], kMaxRows);
  if (stored_last_ < stored_first_ - 1) stored_last_ = stored_first_ - 1;
}

int FamilyRows::BreedColumns() const { return std::clamp(store_.NRAC, 0, kMaxBreeds); }

FamilyRows::RowData FamilyRows::Row(int32_t position) const {
  if (IsHeld(position)) return Held(position);
  const int32_t p = Stored(position);
  RowData row;
  row.mas0 = store_.MAS0[p];
  row.ifon = store_.IFON[p];
  row.ini_id = store_.INI_ID[p];
  row.mas1 = store_.MAS1[p];
  row.mas = store_.MAS[p];
  row.prace = store_.PRACE[p];
  return row;
}

void FamilyRows::SetParent(int32_t position, int column, int16_t value) {
  if (IsHeld(position)) {
    copies_[family_begin_ + position - stored_last_ - shift_ - 1].mas[column] = value;
  } else {
    store_.MAS[Stored(position)][column] = value;
  }
}

int32_t FamilyRows::AppendCopy(int32_t source, int16_t number) {
  const RowData from = Row(source);
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
  if (families_.empty() || families_.back().family != family_) {
    families_.push_back({family_, family_begin_, 0});
  }
  ++families_.back().count;
  return Last();
}

std::vector<FamilyMember> FamilyRows::Members() const {
  std::vector<FamilyMember> members;
  members.reserve(std::max(0, Last() - First() + 1));
  for (int32_t position = First(); position <= Last(); ++position) {
    members.push_back({Number(position), Father(position), Mother(position), position});
  }
  return members;
}

// Breed fractions move only in the columns 1..NRAC the run uses; the other columns stay
// with their position.
void FamilyRows::MoveStoredRow(int32_t from, int32_t to) {
  store_.MAS0[to] = store_.MAS0[from];
  store_.IFON[to] = store_.IFON[from];
  store_.INI_ID[to] = store_.INI_ID[from];
  store_.MAS1[to][1] = store_.MAS1[from][1];
  store_.MAS1[to][2] = store_.MAS1[from][2];
  for (int c = 1; c <= 3; ++c) store_.MAS[to][c] = store_.MAS[from][c];
  const int breeds = BreedColumns();
  std::copy(store_.PRACE[from].begin() + 1, store_.PRACE[from].begin() + 1 + breeds,
            store_.PRACE[to].begin() + 1);
}

void FamilyRows::PutCopy(const RowData& copy, int32_t to) {
  store_.MAS0[to] = copy.mas0;
  store_.IFON[to] = copy.ifon;
  store_.INI_ID[to] = copy.ini_id;
  store_.MAS1[to][1] = copy.mas1[1];
  store_.MAS1[to][2] = copy.mas1[2];
  for (int c = 1; c <= 3; ++c) store_.MAS[to][c] = copy.mas[c];
  const int breeds = BreedColumns();
  std::copy(copy.prace.begin() + 1, copy.prace.begin() + 1 + breeds, store_.PRACE[to].begin() + 1);
}

void FamilyRows::Flush() {
  int32_t shift = static_cast<int32_t>(copies_.size());
  if (shift == 0) return;
  // From the last family with copies down: everything after a family's stored end moves
  // up by the copies of that family and of all families before it.
  int32_t next_stored = store_.ND;  // last stored position not yet moved
  for (auto it = families_.rbegin(); it != families_.rend(); ++it) {
    const int32_t family_end = store_.INS[it->family + 2];
    for (int32_t p = next_stored; p > family_end; --p) MoveStoredRow(p, p + shift);
    next_stored = std::min(next_stored, family_end);
    shift -= it->count;
    for (int32_t i = 0; i < it->count; ++i) {
      PutCopy(copies_[it->begin + i], family_end + shift + 1 + i);
    }
  }
  // Family ends and ND take the copies of their own and every earlier family.
  const int32_t families = store_.INS[1];
  int32_t added = 0;
  std::size_t next = 0;
  for (int32_t s = 1; s <= families && s + 2 <= kInsEntries; ++s) {
    if (next < families_.size() && families_[next].family == s) added += families_[next++].count;
    store_.INS[s + 2] = static_cast<int16_t>(store_.INS[s + 2] + added);
  }
  store_.ND += static_cast<int32_t>(copies_.size());
  copies_.clear();
  families_.clear();
  shift_ = 0;
  family_begin_ = 0;
  stored_last_ = stored_first_ - 1;
}

}  // namespace pedprep
