#include "breed/findblood.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

#include "breed/blood_steps.h"
#include "driver/run_context.h"

namespace pedprep {

namespace {

// Blood is resolved in passes over every family in position order; a member resolved earlier
// in a pass already serves as a parent for later positions of the same pass, and a member
// looks its parents up as "the last position of the family carrying that number whose
// fractions are known at this moment". Instead of repeating family scans, this works out the
// moment each member resolves. A moment is (pass, position); moments are ordered first by
// pass, then by position. Within a family:
//
//  * A member k known at moment (t_k, k) is visible to the lookup of member p in pass t
//    exactly when t >= t_k + (k > p ? 1 : 0). Founders are known before pass 1 (t_k = 0).
//  * So an open member p resolves in pass max(1, a(father number), a(mother number)), where
//    a(x) is the smallest t_k + (k > p) over the members k numbered x. Taken in moment order,
//    t_k + (k > p) never decreases, so a(x) comes from the first member numbered x to become
//    known.
//  * Every moment derived from a member's resolution lies after that member's moment, so
//    processing resolutions in moment order (a min-heap) sees, at each member's moment,
//    exactly the members known before it: "last known position numbered x" is then the
//    largest position numbered x resolved so far.
//
// Families never consult each other, so each is worked out on its own; the outcome (PRACE,
// which members stay unknown) equals that of the passes, at O(n log n) per family.
class FamilyBloodSolver {
 public:
  FamilyBloodSolver() : by_number_(kNumberSlots) {}
  FamilyBloodSolver(const FamilyBloodSolver&) = delete;
  FamilyBloodSolver& operator=(const FamilyBloodSolver&) = delete;

  void Solve(PedigreeStore& store, std::vector<int32_t>& known, PositionRange family) {
    if (family.first > family.last) return;
    Reset();
    first_ = family.first;
    pending_.assign(family.last - family.first + 1, 0);

    for (int k = family.first; k <= family.last; ++k) {
      if (known[k] != 0) MarkKnown(store, store.MAS[k][1], /*pass=*/0, k);
    }
    for (int p = family.first; p <= family.last; ++p) {
      if (known[p] != 0) continue;
      const int16_t father = store.MAS[p][2];
      const int16_t mother = store.MAS[p][3];
      Wait(father, p);
      if (mother != father) Wait(mother, p);
      if (pending_[p - first_] == 0) Schedule(store, p);
    }

    while (!moments_.empty()) {
      const auto [pass, p] = moments_.top();
      moments_.pop();
      const int father = Slot(store.MAS[p][2]).last_known;
      const int mother = Slot(store.MAS[p][3]).last_known;
      SetChildFractions(store, p, father, mother);
      known[p] = 1;
      MarkKnown(store, store.MAS[p][1], pass, p);
    }
  }

 private:
  static constexpr int kNumberSlots = 1 << 16;  // every 16-bit individual number

  // What the family holds for one individual number.
  struct NumberSlot {
    int first_pass = 0;     // pass of the first member with this number to become known
    int first_member = 0;   // its position; 0 = no member with this number known yet
    int last_known = 0;     // largest position with this number known so far
    int first_waiter = -1;  // head of the waiter list (index into waiters_), -1 = none
  };
  struct Waiter {
    int position;
    int next;
  };

  NumberSlot& Slot(int16_t number) { return by_number_[number + 32768]; }

  void Reset() {
    for (int16_t number : touched_) Slot(number) = NumberSlot{};
    touched_.clear();
    waiters_.clear();
  }

  NumberSlot& Touch(int16_t number) {
    NumberSlot& slot = Slot(number);
    if (slot.first_member == 0 && slot.last_known == 0 && slot.first_waiter < 0) {
      touched_.push_back(number);
    }
    return slot;
  }

  // Member p cannot resolve before some member numbered `number` is known.
  void Wait(int16_t number, int p) {
    NumberSlot& slot = Touch(number);
    if (slot.first_member != 0) return;
    waiters_.push_back({p, slot.first_waiter});
    slot.first_waiter = static_cast<int>(waiters_.size()) - 1;
    ++pending_[p - first_];
  }

  // The member at position k, numbered `number`, became known in `pass`.
  void MarkKnown(PedigreeStore& store, int16_t number, int pass, int k) {
    NumberSlot& slot = Touch(number);
    slot.last_known = std::max(slot.last_known, k);
    if (slot.first_member != 0) return;
    slot.first_pass = pass;
    slot.first_member = k;
    for (int w = slot.first_waiter; w >= 0; w = waiters_[w].next) {
      const int p = waiters_[w].position;
      if (--pending_[p - first_] == 0) Schedule(store, p);
    }
    slot.first_waiter = -1;
  }

  // Both parent numbers of p have a known member: p resolves in the first pass that sees them.
  void Schedule(const PedigreeStore& store, int p) {
    const int pass =
        std::max({1, VisibleFrom(store.MAS[p][2], p), VisibleFrom(store.MAS[p][3], p)});
    moments_.push({pass, p});
  }

  int VisibleFrom(int16_t number, int p) {
    const NumberSlot& slot = Slot(number);
    return slot.first_pass + (slot.first_member > p ? 1 : 0);
  }

  std::vector<NumberSlot> by_number_;
  std::vector<int16_t> touched_;
  std::vector<Waiter> waiters_;
  std::vector<int> pending_;  // [p - first_]: parent numbers of p with no known member yet
  int first_ = 0;
  std::priority_queue<std::pair<int, int>, std::vector<std::pair<int, int>>,
                      std::greater<std::pair<int, int>>>
      moments_;
};

}  // namespace

void FINDBLOOD(RunContext& ctx) {
  PedigreeStore& store = ctx.store;
  std::vector<int32_t> known;
  SetFounderFractions(store, known);
  const std::vector<PositionRange> families = FamilyRanges(store);

  FamilyBloodSolver solver;
  bool open = false;
  for (const PositionRange& family : families) {
    solver.Solve(store, known, family);
    for (int i = family.first; i <= family.last && !open; ++i) open = known[i] == 0;
  }
  if (open) StopForUnresolvedBlood(ctx, families, known);

  CheckBloodSums(ctx);
}

}  // namespace pedprep
