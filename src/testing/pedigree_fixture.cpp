#include "testing/pedigree_fixture.h"

#include <cstdint>

namespace pedprep::testing {

const std::vector<Member> kFullSib = {
    {1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 1}, {1, 4, 1, 2, 2}, {1, 5, 3, 4, 1}};

void PedigreeFixture::Load(const std::vector<Member>& members, int nrac) {
  std::vector<PassportRow> rows;
  for (const Member& m : members) {
    const long position = static_cast<long>(rows.size()) + 1;
    rows.push_back({m.family, m.id, m.father, m.mother, m.father == 0 ? 1 : 0, m.sex,
                    100 + position});
  }
  PedigreeStore& store = structure.store;
  FillStore(store, rows, nrac);
  for (int i = 1; i <= store.ND; ++i) {
    store.IFON[i] = static_cast<int8_t>(i % 7);
    for (int t = 1; t <= nrac && t <= kMaxBreeds; ++t) store.PRACE[i][t] = i + t / 10.0;
  }
}

std::vector<Member> PedigreeFixture::Rows() const {
  const PedigreeStore& store = structure.store;
  std::vector<Member> rows;
  for (int i = 1; i <= store.ND; ++i) {
    rows.push_back(
        {store.MAS0[i], store.MAS[i][1], store.MAS[i][2], store.MAS[i][3], store.MAS1[i][2]});
  }
  return rows;
}

bool operator==(const Member& a, const Member& b) {
  return a.family == b.family && a.id == b.id && a.father == b.father && a.mother == b.mother &&
         a.sex == b.sex;
}

}  // namespace pedprep::testing
