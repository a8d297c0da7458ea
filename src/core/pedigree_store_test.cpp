#include "core/pedigree_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace pedprep {
namespace {

std::vector<int> InsPrefix(const PedigreeStore& st, int n) {
  return std::vector<int>(st.INS.begin() + 1, st.INS.begin() + 1 + n);
}

std::unique_ptr<PedigreeStore> StoreWithFamilies(const std::vector<int>& families) {
  auto st = std::make_unique<PedigreeStore>();
  st->ND = static_cast<int32_t>(families.size());
  for (std::size_t k = 0; k < families.size(); ++k) {
    st->MAS0[k + 1] = static_cast<int16_t>(families[k]);
  }
  return st;
}

TEST(CrtinsTest, FamiliesAreRunsOfEqualNumbers) {
  struct Case {
    std::vector<int> families;
    std::vector<int> ins;
  };
  const std::vector<Case> cases = {
      {{1, 1, 2, 2, 2, 3}, {3, 0, 2, 5, 6}},
      {{1}, {1, 0, 1}},
      {{1, 2, 1}, {3, 0, 1, 2, 3}},  // a number that comes back opens a new family
      {{7, 7, 7}, {1, 0, 3}},        // the numbers themselves do not matter
      {{-1, 0, 0, 5}, {3, 0, 1, 3, 4}},
  };
  for (const Case& c : cases) {
    auto st = StoreWithFamilies(c.families);
    CRTINS(*st);
    EXPECT_EQ(InsPrefix(*st, static_cast<int>(c.ins.size())), c.ins);
  }
}

TEST(CrtinsTest, RebuildIsIdempotentAndLeavesLaterEntries) {
  auto st = StoreWithFamilies({1, 1, 2, 3, 3});
  st->INS[6] = 99;
  st->INS[7] = 42;
  CRTINS(*st);
  const std::vector<int> first = InsPrefix(*st, 7);
  EXPECT_EQ(first, (std::vector<int>{3, 0, 2, 3, 5, 99, 42}));
  CRTINS(*st);
  EXPECT_EQ(InsPrefix(*st, 7), first);
}

TEST(CrtinsTest, EmptyStoreOpensFamilyOne) {
  auto st = StoreWithFamilies({});
  CRTINS(*st);
  EXPECT_EQ(InsPrefix(*st, 3), (std::vector<int>{1, 0, 1}));
}

TEST(CrtinsTest, FamilyCapacityIsEnforced) {
  std::vector<int> families;
  for (int f = 1; f <= kMaxFamilies; ++f) families.push_back(f);
  auto st = StoreWithFamilies(families);
  CRTINS(*st);
  EXPECT_EQ(st->INS[1], kMaxFamilies);
  EXPECT_EQ(st->INS[kMaxFamilies + 2], kMaxFamilies);

  families.push_back(kMaxFamilies + 1);
  auto over = StoreWithFamilies(families);
  EXPECT_THROW(CRTINS(*over), std::length_error);
}

}  // namespace
}  // namespace pedprep
