#include "testing/pedigree_fixture.h"

namespace pedprep::testing {

PedigreeFixture::PedigreeFixture()
    : run(std::make_unique<RunContext>(console, files, shell)),
      ctx(std::make_unique<StructureContext>(run->store, console)) {}

void PedigreeFixture::Load(const std::vector<Member>& members, int nrac) {
  PedigreeStore& store = ctx->store;
  store.ND = static_cast<int32_t>(members.size());
  store.NRAC = nrac;
  for (int i = 1; i <= store.ND; ++i) {
    const Member& m = members[i - 1];
    store.MAS0[i] = static_cast<int16_t>(m.family);
    store.MAS[i] = {0, static_cast<int16_t>(m.id), static_cast<int16_t>(m.father),
                    static_cast<int16_t>(m.mother)};
    store.MAS1[i] = {0, static_cast<uint8_t>(m.father == 0 ? 1 : 0), static_cast<uint8_t>(m.sex)};
    store.INI_ID[i] = static_cast<int16_t>(100 + i);
    store.IFON[i] = static_cast<int8_t>(i % 7);
    for (int t = 1; t <= nrac && t <= kMaxBreeds; ++t) store.PRACE[i][t] = i + t / 10.0;
  }
  CRTINS(store);
}

std::vector<Member> PedigreeFixture::Rows() const {
  const PedigreeStore& store = ctx->store;
  std::vector<Member> rows;
  for (int i = 1; i <= store.ND; ++i) {
    rows.push_back(
        {store.MAS0[i], store.MAS[i][1], store.MAS[i][2], store.MAS[i][3], store.MAS1[i][2]});
  }
  return rows;
}

std::string PedigreeFixture::TakeOutput() {
  std::string text;
  text.swap(console.output);
  return text;
}

bool operator==(const Member& a, const Member& b) {
  return a.family == b.family && a.id == b.id && a.father == b.father && a.mother == b.mother &&
         a.sex == b.sex;
}

}  // namespace pedprep::testing
