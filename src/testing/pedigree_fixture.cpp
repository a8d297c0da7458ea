#include "testing/pedigree_fixture.h"

#include <cstdint>

namespace pedprep::testing {

const std::vector<Member> kFullSib = {
    {1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 1}, {1, 4, 1, 2, 2}, {1, 5, 3, 4, 1}};

std::vector<Member> SireDaughterLoops(int loops) {
  std::vector<Member> members;
  for (int loop = 0; loop < loops; ++loop) {
    const int family = 1 + loop / 64;
    const int base = 4 * (loop % 64);
    members.push_back({family, base + 1, 0, 0, 1});
    members.push_back({family, base + 2, 0, 0, 2});
    members.push_back({family, base + 3, base + 1, base + 2, 2});
    members.push_back({family, base + 4, base + 1, base + 3, 2});
  }
  return members;
}

std::vector<Member> CrossedSibships(int daughters, bool with_half_sibs) {
  std::vector<Member> members;
  auto add = [&members](int father, int mother, int sex) {
    const int number = static_cast<int>(members.size()) + 1;
    members.push_back({1, number, father, mother, sex});
    return number;
  };
  const int a = add(0, 0, 1);
  const int b = add(0, 0, 2);
  std::vector<int> sons, half_brothers, sisters, nieces, half_sibs;
  for (int i = 0; i < daughters; ++i) sons.push_back(add(a, b, 1));
  if (with_half_sibs) {
    for (int i = 0; i < daughters; ++i) half_brothers.push_back(add(a, b, 1));
  }
  const int f = add(0, 0, 1);
  const int m = add(0, 0, 2);
  for (int i = 0; i < daughters; ++i) sisters.push_back(add(f, m, 2));
  for (int i = 0; i < daughters; ++i) nieces.push_back(add(sons[i], sisters[i], 2));
  if (with_half_sibs) {
    for (int i = 0; i < daughters; ++i) half_sibs.push_back(add(half_brothers[i], sisters[i], 1));
    for (int i = 0; i < daughters; ++i) add(half_sibs[i], nieces[i], 1);
  }
  return members;
}

std::vector<PassportRow> PassportRows(const std::vector<Member>& members) {
  std::vector<PassportRow> rows;
  for (const Member& m : members) {
    const long position = static_cast<long>(rows.size()) + 1;
    rows.push_back(
        {m.family, m.id, m.father, m.mother, m.father == 0 ? 1 : 0, m.sex, 100 + position});
  }
  return rows;
}

void PedigreeFixture::Load(const std::vector<Member>& members, int nrac) {
  PedigreeStore& store = structure.store;
  FillStore(store, PassportRows(members), nrac);
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
