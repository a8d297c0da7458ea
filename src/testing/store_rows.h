// Test helper: fills a pedigree store from rows as they would stand in a passport file.
#ifndef PEDPREP_TESTING_STORE_ROWS_H_
#define PEDPREP_TESTING_STORE_ROWS_H_

#include <cstdint>
#include <vector>

#include "core/pedigree_store.h"

namespace pedprep::testing_rows {

struct Row {
  int family;
  int individual;
  int father;
  int mother;
  int breed = 0;
  int initial_id = 0;
};

// Positions 1..rows.size() take the rows in order; ND, NRAC and INS (through CRTINS) follow.
inline void Fill(PedigreeStore& store, const std::vector<Row>& rows, int nrac) {
  store.ND = static_cast<int32_t>(rows.size());
  store.NRAC = nrac;
  for (std::size_t n = 0; n < rows.size(); ++n) {
    const Row& row = rows[n];
    const std::size_t i = n + 1;
    store.MAS0[i] = static_cast<int16_t>(row.family);
    store.MAS[i][1] = static_cast<int16_t>(row.individual);
    store.MAS[i][2] = static_cast<int16_t>(row.father);
    store.MAS[i][3] = static_cast<int16_t>(row.mother);
    store.MAS1[i][1] = static_cast<uint8_t>(row.breed);
    store.MAS1[i][2] = 1;
    store.INI_ID[i] = static_cast<int16_t>(row.initial_id);
  }
  CRTINS(store);
}

}  // namespace pedprep::testing_rows

#endif  // PEDPREP_TESTING_STORE_ROWS_H_
