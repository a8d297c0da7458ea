// The positions of the family under analysis, with the run's loop-break copies held back.
//
// A copy belongs at the end of its family, which moves every later position of the store
// up by one. Rather than moving the later families once per copy, the copies are kept here
// and inserted, together with the moves they cause, in one pass over the store (Flush).
// Until then the class presents the positions as if every copy made so far were already
// inserted: family s starts at its stored first position plus the number of copies made
// for families before s, and its held copies follow its last stored member in the order
// they were made. INS, ND and the stored rows stay as they were until Flush.
#ifndef PEDPREP_STRUCTURE_FAMILY_ROWS_H_
#define PEDPREP_STRUCTURE_FAMILY_ROWS_H_

#include <cstdint>
#include <vector>

#include "core/pedigree_store.h"
#include "structure/family_graph.h"

namespace pedprep {

class FamilyRows {
 public:
  explicit FamilyRows(PedigreeStore& store) : store_(store) {}
  FamilyRows(const FamilyRows&) = delete;
  FamilyRows& operator=(const FamilyRows&) = delete;

  // Starts family s of INS; families must be opened in increasing order.
  void Open(int32_t s);

  // Positions of the open family, as they are once the held copies are inserted.
  int32_t First() const { return stored_first_ + shift_; }
  int32_t Last() const { return stored_last_ + shift_ + HeldInFamily(); }
  // ND once the held copies are inserted.
  int32_t NDWithCopies() const { return store_.ND + static_cast<int32_t>(copies_.size()); }

  // Columns of a position of the open family; position 0 reads as the store's row 0.
  int16_t FamilyNumber(int32_t position) const {
    return IsHeld(position) ? Held(position).mas0 : store_.MAS0[Stored(position)];
  }
  int16_t Number(int32_t position) const { return Mas(position, 1); }
  int16_t Father(int32_t position) const { return Mas(position, 2); }
  int16_t Mother(int32_t position) const { return Mas(position, 3); }
  int16_t IniId(int32_t position) const {
    return IsHeld(position) ? Held(position).ini_id : store_.INI_ID[Stored(position)];
  }
  // column 2 = father, 3 = mother.
  void SetParent(int32_t position, int column, int16_t value);

  // Adds a copy of `source` as the new last position of the open family: family number,
  // IFON, INI_ID, sex and breed fractions 1..NRAC of `source`, breed code 100, individual
  // number `number`, no parents. Returns its position.
  int32_t AppendCopy(int32_t source, int16_t number);

  // The open family's positions in order, for the nuclear-family builder.
  std::vector<FamilyMember> Members() const;

  // Inserts every held copy after its family, moving the later positions up, and updates
  // ND and INS. Afterwards nothing is held.
  void Flush();

 private:
  // Copies held for one family: copies_[begin .. begin+count-1].
  struct FamilyCopies {
    int32_t family = 0;
    int32_t begin = 0;
    int32_t count = 0;
  };

  int32_t HeldInFamily() const { return static_cast<int32_t>(copies_.size()) - family_begin_; }
  bool IsHeld(int32_t position) const { return position > stored_last_ + shift_; }
  const StoreRow& Held(int32_t position) const {
    return copies_[family_begin_ + position - stored_last_ - shift_ - 1];
  }
  int32_t Stored(int32_t position) const { return position == 0 ? 0 : position - shift_; }
  int16_t Mas(int32_t position, int column) const {
    return IsHeld(position) ? Held(position).mas[column] : store_.MAS[Stored(position)][column];
  }
  StoreRow Row(int32_t position) const;

  PedigreeStore& store_;
  int32_t family_ = 0;
  int32_t stored_first_ = 1;
  int32_t stored_last_ = 0;
  int32_t shift_ = 0;         // copies held for families before the open one
  int32_t family_begin_ = 0;  // index in copies_ of the open family's first copy
  std::vector<StoreRow> copies_;
  std::vector<FamilyCopies> families_;
};

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_FAMILY_ROWS_H_
