#include "reference/rebuilding_workspace.h"

namespace pedprep {

namespace {

void GrowTo(std::vector<int32_t>& table, std::size_t size) {
  if (table.size() < size) table.resize(size, 0);
}

}  // namespace

RebuildingWorkspace::RebuildingWorkspace()
    : INP1(3, 0),
      INF1(1, 0),
      LUK1(1, 0),
      LBACK(1, 0),
      IVISITED(1, 0),
      ININF1(1, 0),
      IPLUSFAM(2, 0),
      grouped(1, 0),
      NF(1, 0),
      ICROS(kMaxCrossChildren + 1, {0, 0, 0}) {}

bool RebuildingWorkspace::Occurs(int32_t x, int32_t k) const {
  for (int32_t i = FirstSlot(k); i <= LastSlot(k); ++i) {
    if (INF1[i] == x) return true;
  }
  return false;
}

void RebuildingWorkspace::EnsureNuclearFamilies(int32_t n) {
  const std::size_t size = static_cast<std::size_t>(n < 0 ? 0 : n) + 1;
  GrowTo(INP1, size + 2);
  GrowTo(LUK1, size);
  GrowTo(LBACK, size);
  GrowTo(IVISITED, size);
}

void RebuildingWorkspace::EnsureSlots(int32_t n) {
  const std::size_t size = static_cast<std::size_t>(n < 0 ? 0 : n) + 1;
  GrowTo(INF1, size);
  GrowTo(ININF1, size);
}

}  // namespace pedprep
