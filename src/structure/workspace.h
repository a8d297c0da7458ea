// The structure workspace: the nuclear-family graph of the family under analysis, its
// peeling marks, the loop-search queue and the copy list of a loop break.
//
// Arrays that hold only derived data grow with what the family needs, so a large family
// never overflows them; the loop-search queue keeps its fixed 24096 entries.
#ifndef PEDPREP_STRUCTURE_WORKSPACE_H_
#define PEDPREP_STRUCTURE_WORKSPACE_H_

#include <array>
#include <cstdint>
#include <vector>

namespace pedprep {

inline constexpr int kQueueEntries = 24096;

struct StructureWorkspace {
  StructureWorkspace();
  StructureWorkspace(const StructureWorkspace&) = delete;
  StructureWorkspace& operator=(const StructureWorkspace&) = delete;

  // INP1(1) = NPR1; INP1(2) = 0; nuclear family k occupies slots INP1(k+1)+1 .. INP1(k+2).
  std::vector<int32_t> INP1;
  // Slots: father, mother, children (individual numbers).
  std::vector<int32_t> INF1;
  int32_t NPR1 = 0;
  std::vector<int32_t> LUK1;      // [k] 1 = peeled
  std::vector<int32_t> LBACK;     // [k] back-link (mode 1); never reset
  std::vector<int32_t> IVISITED;  // [k] 1 = entered through its father slot
  std::vector<int32_t> ININF1;    // [slot] 1 = free
  int32_t IALL = 0;

  // NINDK[k][1] individual, [k][2] arrival nuclear family; entries 1..24096.
  std::vector<std::array<int32_t, 3>> NINDK;
  int32_t K1 = 0;
  int32_t K2 = 0;

  // IPLUSFAM(1) = n; IPLUSFAM(2..n+1) = positions to copy.
  std::vector<int32_t> IPLUSFAM;
};

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_WORKSPACE_H_
