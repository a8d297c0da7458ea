// The positions of the family under analysis, with its loop-break copies held back.
//
// A copy belongs at the end of its family, which moves every later position of the store
// up by one. Rather than moving the later families once per copy, the copies of one family
// are kept here and inserted with a single move when the family is done (Flush). Until
// then positions First()..Last() read as if every copy were already in the store: a held
// copy has position LastInStore()+1, +2, ... in the order it was made.
#ifndef PEDPREP_STRUCTURE_FAST_FAMILY_ROWS_H_
#define PEDPREP_STRUCTURE_FAST_FAMILY_ROWS_H_

#include <array>
#include <cstdint>
#include <vector>

#include "driver/store.h"
#include "structure/fast_family_graph.h"

namespace pedprep {

class FamilyRows {
 public:
  explicit FamilyRows(PedigreeStore& store) : store_(store) {}
  FamilyRows(const FamilyRows&) = delete;
  FamilyRows& operator=(const FamilyRows&) = delete;

  // Starts family s of INS. Nothing may be held.
  void Open(int32_t s);

  int32_t First() const { return first_; }
  int32_t Last() const { return last_in_store_ + static_cast<int32_t>(copies_.size()); }
  // ND once the held copies are inserted.
  int32_t NDWithCopies() const { return store_.ND + static_cast<int32_t>(copies_.size()); }

  // Columns of a position of the family (or of position 0, which reads as the store's
  // row 0).
  int16_t FamilyNumber(int32_t position) const {
    return IsHeld(position) ? Held(position).mas0 : store_.MAS0[position];
  }
  int16_t Number(int32_t position) const { return Mas(position, 1); }
  int16_t Father(int32_t position) const { return Mas(position, 2); }
  int16_t Mother(int32_t position) const { return Mas(position, 3); }
  int16_t IniId(int32_t position) const {
    return IsHeld(position) ? Held(position).ini_id : store_.INI_ID[position];
  }
  // column 2 = father, 3 = mother.
  void SetParent(int32_t position, int column, int16_t value);

  // Adds a copy of `source` as the new last position of the family: family number, IFON,
  // INI_ID, sex and breed fractions 1..NRAC of `source`, breed code 100, individual
  // number `number`, no parents. Returns its position.
  int32_t AppendCopy(int32_t source, int16_t number);

  // The family's positions in order, for the nuclear-family builder.
  std::vector<FamilyMember> Members() const;

  // Inserts the held copies after the family's stored positions, moving every later
  // position up, and updates ND and INS. Afterwards nothing is held.
  void Flush();

 private:
  struct RowData {
    int16_t mas0 = 0;
    int8_t ifon = 0;
    int16_t ini_id = 0;
    std::array<uint8_t, 3> mas1{};
    std::array<int16_t, 4> mas{};
    std::array<double, kMaxBreeds + 1> prace{};
  };
  bool IsHeld(int32_t position) const { return position > last_in_store_; }
  const RowData& Held(int32_t position) const { return copies_[position - last_in_store_ - 1]; }
  int16_t Mas(int32_t position, int column) const {
    return IsHeld(position) ? Held(position).mas[column] : store_.MAS[position][column];
  }
  RowData Row(int32_t position) const;
  int BreedColumns() const;

  PedigreeStore& store_;
  int32_t family_ = 0;
  int32_t first_ = 1;
  int32_t last_in_store_ = 0;
  std::vector<RowData> copies_;
};

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_FAST_FAMILY_ROWS_H_
