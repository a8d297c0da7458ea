// The workspace of the rebuilding structure analysis: the nuclear-family graph of the family
// under analysis, its peeling marks, the loop-search queue (LoopQueue, shared with the live
// analysis so that tests compare the two) and the copy list of a loop break, plus the working
// scalars of the stage (they keep their values between calls).
//
// All tables are 1-based; entry 0 is unused and stays 0. Arrays that hold only derived data
// grow with what the family needs (Ensure* below), so a large family never overflows them;
// slot numbers may exceed 32767 and are 32-bit. The loop-search queue keeps its fixed 24096
// entries.
#ifndef PEDPREP_REFERENCE_REBUILDING_WORKSPACE_H_
#define PEDPREP_REFERENCE_REBUILDING_WORKSPACE_H_

#include <array>
#include <cstdint>
#include <vector>

#include "core/pedigree_store.h"
#include "records/console.h"
#include "structure/loop_queue.h"

namespace pedprep {

// Entries of the cross list used by the inner-cross peeling rule; a nuclear family with more
// children stops the run.
inline constexpr int kMaxCrossChildren = 300;

struct RebuildingWorkspace : LoopQueue {
  RebuildingWorkspace();

  // INP1(1) = NPR1; INP1(2) = 0; nuclear family k occupies slots INP1(k+1)+1 .. INP1(k+2).
  std::vector<int32_t> INP1;
  // Slots: father, mother, children (individual numbers).
  std::vector<int32_t> INF1;
  int32_t NPR1 = 0;
  std::vector<int32_t> LUK1;      // [k] 1 = peeled
  std::vector<int32_t> LBACK;     // [k] back-link (mode 1); never reset; LBACK(0) stays 0
  std::vector<int32_t> IVISITED;  // [k] 1 = entered through its father slot
  std::vector<int32_t> ININF1;    // [slot] 1 = free
  int32_t IALL = 0;

  // IPLUSFAM(1) = n; IPLUSFAM(2..n+1) = positions to copy.
  std::vector<int32_t> IPLUSFAM;

  // Nuclear-family builder: grouped flag per position of the family (1-based from the
  // family's first position), the children of the couple being built and its parents.
  std::vector<int16_t> grouped;
  std::vector<int32_t> NF;
  int32_t KF = 0;
  int32_t M1 = 0;
  int32_t M2 = 0;

  // Peeling test: cross list ICROS[k] = {0, first, second} for k = 1..300, the number of
  // unpeeled nuclear families at the last progress check, the inner-cross progress flag and
  // the number of duplicate crosses removed.
  std::vector<std::array<int32_t, 3>> ICROS;
  int32_t NK = 0;
  int32_t NPEEYU = 0;
  int32_t NSIBSIB = 0;

  // Stage driver: family under analysis, number of families, copies made in this run, the
  // individual being expanded, loop-found flag, nuclear family where the loop is broken.
  int32_t IS = 0;
  int32_t NS = 0;
  int32_t IBR = 0;
  int32_t NI = 0;
  int32_t IVIS = 0;
  int32_t IA = 0;

  // Loop break: next individual number to give, the number that replaces NI as parent, MAXN
  // before the first copy of the break, position being copied, position of the new copy,
  // the parents of IA, and the copy-list index being copied.
  int32_t MAXN = 0;
  int32_t MAXNUPO = 0;
  int32_t MAXINI = 0;
  int32_t NILC = 0;
  int32_t NLN = 0;
  int32_t NFA = 0;
  int32_t NMA = 0;
  int32_t IPOPO = 0;

  // First slot (the father slot) and last slot of nuclear family k. For k = 0 the first slot
  // is INP1(1)+1, which is inside the list whenever NPR1 >= 1.
  int32_t FirstSlot(int32_t k) const { return INP1[k + 1] + 1; }
  int32_t LastSlot(int32_t k) const { return INP1[k + 2]; }
  int32_t FatherOf(int32_t k) const { return Slot(FirstSlot(k)); }
  int32_t MotherOf(int32_t k) const { return Slot(FirstSlot(k) + 1); }
  // INF1(i), or 0 for a slot outside the list.
  int32_t Slot(int32_t i) const {
    return i >= 1 && i < static_cast<int32_t>(INF1.size()) ? INF1[i] : 0;
  }
  // True when individual x stands in any slot of nuclear family k.
  bool Occurs(int32_t x, int32_t k) const;

  // Grow the per-nuclear-family arrays to hold index n, the slot arrays to hold slot n.
  // New entries are 0; existing entries keep their values.
  void EnsureNuclearFamilies(int32_t n);
  void EnsureSlots(int32_t n);
};

// What the rebuilding analysis works on: the run's store and console, and its workspace.
struct RebuildingContext {
  RebuildingContext(PedigreeStore& store_in, Console& console_in)
      : store(store_in), console(console_in) {}
  RebuildingContext(const RebuildingContext&) = delete;
  RebuildingContext& operator=(const RebuildingContext&) = delete;

  PedigreeStore& store;
  Console& console;
  RebuildingWorkspace workspace;
};

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_REBUILDING_WORKSPACE_H_
