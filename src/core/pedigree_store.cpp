#include "core/pedigree_store.h"

#include <algorithm>
#include <stdexcept>

namespace pedprep {

PedigreeStore::PedigreeStore()
    : MAS0(kMaxRows + 1, 0),
      MAS(kMaxRows + 1, {0, 0, 0, 0}),
      MAS1(kMaxRows + 1, {0, 0, 0}),
      IFON(kMaxRows + 1, 0),
      INI_ID(kMaxRows + 1, 0),
      PRACE(kMaxRows + 1, std::array<double, kMaxBreeds + 1>{}),
      INS(kInsEntries + 1, 0),
      BREAK_IND(kMaxBreaks + 1, {0, 0, 0, 0, 0}) {}

int PedigreeStore::BreedColumns() const { return std::clamp(NRAC, 0, kMaxBreeds); }

StoreRow PedigreeStore::Row(int p) const {
  return StoreRow{MAS0[p], MAS[p], MAS1[p], IFON[p], INI_ID[p], PRACE[p]};
}

void PedigreeStore::SetRow(int p, const StoreRow& row) {
  MAS0[p] = row.mas0;
  MAS[p] = row.mas;
  MAS1[p] = row.mas1;
  IFON[p] = row.ifon;
  INI_ID[p] = row.ini_id;
  const int columns = BreedColumns();
  std::copy(row.prace.begin() + 1, row.prace.begin() + 1 + columns, PRACE[p].begin() + 1);
}

void PedigreeStore::MoveRowsUp(int first, int last, int by) {
  for (int p = last; p >= first; --p) CopyRow(p, p + by);
}

void CRTINS(PedigreeStore& store) {
  auto& ins = store.INS;
  ins[1] = 1;
  ins[2] = 0;
  ins[3] = 1;
  for (int k = 2; k <= store.ND; ++k) {
    int l = ins[1];
    if (store.MAS0[k] == store.MAS0[k - 1]) {
      ins[l + 2] = static_cast<int16_t>(ins[l + 2] + 1);
    } else {
      // INS has room for kMaxFamilies bounds; a caller that lets more runs through has
      // broken the contract, and writing past the table is never an option.
      if (l >= kMaxFamilies) throw std::length_error("CRTINS: more than 2600 families");
      ins[1] = static_cast<int16_t>(ins[1] + 1);
      l = ins[1];
      ins[l + 2] = static_cast<int16_t>(ins[l + 1] + 1);
    }
  }
}

}  // namespace pedprep
