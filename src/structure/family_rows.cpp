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

StoreRow FamilyRows::Row(int32_t position) const {
  return IsHeld(position) ? Held(position) : store_.Row(Stored(position));
}

void FamilyRows::SetParent(int32_t position, int column, int16_t value) {
  if (IsHeld(position)) {
    copies_[family_begin_ + position - stored_last_ - shift_ - 1].mas[column] = value;
  } else {
    store_.MAS[Stored(position)][column] = value;
  }
}

int32_t FamilyRows::AppendCopy(int32_t source, int16_t number) {
  const StoreRow from = Row(source);
  StoreRow copy;
  copy.mas0 = from.mas0;
  copy.ifon = from.ifon;
  copy.ini_id = from.ini_id;
  copy.mas1[1] = static_cast<uint8_t>(kBreedLoopCopy);
  copy.mas1[2] = from.mas1[2];
  copy.mas[1] = number;
  const int breeds = store_.BreedColumns();
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

void FamilyRows::Flush() {
  int32_t shift = static_cast<int32_t>(copies_.size());
  if (shift == 0) return;
  // From the last family with copies down: everything after a family's stored end moves
  // up by the copies of that family and of all families before it.
  int32_t next_stored = store_.ND;  // last stored position not yet moved
  for (auto it = families_.rbegin(); it != families_.rend(); ++it) {
    const int32_t family_end = store_.INS[it->family + 2];
    store_.MoveRowsUp(family_end + 1, next_stored, shift);
    next_stored = std::min(next_stored, family_end);
    shift -= it->count;
    for (int32_t i = 0; i < it->count; ++i) {
      store_.SetRow(family_end + shift + 1 + i, copies_[it->begin + i]);
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
