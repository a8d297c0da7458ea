#include "breed/blood_fractions.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

#include "breed/blood_steps.h"
#include "core/run_context.h"

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
  FamilyBloodSolver() = default;
  FamilyBloodSolver(const FamilyBloodSolver&) = delete;
  FamilyBloodSolver& operator=(const FamilyBloodSolver&) = delete;

  void Solve(PedigreeStore& store, std::vector<int32_t>& known, PositionRange family) {
    if (family.first > family.last) return;
    IndexNumbers(store, family);

    for (int k = family.first; k <= family.last; ++k) {
      if (known[k] != 0) MarkKnown(Member(k).own, /*pass=*/0, k);
    }
    for (int p = family.first; p <= family.last; ++p) {
      if (known[p] != 0) continue;
      const MemberNumbers& member = Member(p);
      Wait(member.father, p);
      if (member.mother != member.father) Wait(member.mother, p);
      if (member.pending == 0) Schedule(p);
    }

    while (!moments_.empty()) {
      const auto [pass, p] = moments_.top();
      moments_.pop();
      const MemberNumbers& member = Member(p);
      SetChildFractions(store, p, slots_[member.father].last_known,
                        slots_[member.mother].last_known);
      known[p] = 1;
      MarkKnown(member.own, pass, p);
    }
  }

 private:
  // What the family holds for one individual number.
  struct NumberSlot {
    int first_pass = 0;     // pass of the first member with this number to become known
    int first_member = 0;   // its position; 0 = no member with this number known yet
    int last_known = 0;     // largest position with this number known so far
    int first_waiter = -1;  // head of the waiter list (index into waiters_), -1 = none
  };
  // One member's own, father and mother numbers as slot indices.
  struct MemberNumbers {
    int own;
    int father;
    int mother;
    int pending;  // parent numbers with no known member yet
  };
  struct Waiter {
    int position;
    int next;
  };

  MemberNumbers& Member(int p) { return members_[p - first_]; }

  // Gives every number the family uses (own numbers and parent references) a slot.
  void IndexNumbers(const PedigreeStore& store, PositionRange family) {
    first_ = family.first;
    numbers_.clear();
    for (int p = family.first; p <= family.last; ++p) {
      numbers_.insert(numbers_.end(), {store.MAS[p][1], store.MAS[p][2], store.MAS[p][3]});
    }
    std::sort(numbers_.begin(), numbers_.end());
    numbers_.erase(std::unique(numbers_.begin(), numbers_.end()), numbers_.end());
    auto slot_of = [this](int16_t number) {
      return static_cast<int>(std::lower_bound(numbers_.begin(), numbers_.end(), number) -
                              numbers_.begin());
    };
    members_.clear();
    for (int p = family.first; p <= family.last; ++p) {
      members_.push_back(
          {slot_of(store.MAS[p][1]), slot_of(store.MAS[p][2]), slot_of(store.MAS[p][3]), 0});
    }
    slots_.assign(numbers_.size(), NumberSlot{});
    waiters_.clear();
  }

  // Member p cannot resolve before some member in `slot` is known.
  void Wait(int slot, int p) {
    NumberSlot& number = slots_[slot];
    if (number.first_member != 0) return;
    waiters_.push_back({p, number.first_waiter});
    number.first_waiter = static_cast<int>(waiters_.size()) - 1;
    ++Member(p).pending;
  }

  // The member at position k, numbered as `slot`, became known in `pass`.
  void MarkKnown(int slot, int pass, int k) {
    NumberSlot& number = slots_[slot];
    number.last_known = std::max(number.last_known, k);
    if (number.first_member != 0) return;
    number.first_pass = pass;
    number.first_member = k;
    for (int w = number.first_waiter; w >= 0; w = waiters_[w].next) {
      const int p = waiters_[w].position;
      if (--Member(p).pending == 0) Schedule(p);
    }
    number.first_waiter = -1;
  }

  // Both parent numbers of p have a known member: p resolves in the first pass that sees them.
  void Schedule(int p) {
    const MemberNumbers& member = Member(p);
    moments_.push({std::max({1, VisibleFrom(member.father, p), VisibleFrom(member.mother, p)}), p});
  }

  int VisibleFrom(int slot, int p) const {
    const NumberSlot& number = slots_[slot];
    return number.first_pass + (number.first_member > p ? 1 : 0);
  }

  int first_ = 0;                       // first position of the family
  std::vector<int16_t> numbers_;        // the family's numbers, sorted, one per slot
  std::vector<NumberSlot> slots_;       // [slot]
  std::vector<MemberNumbers> members_;  // [p - first_]
  std::vector<Waiter> waiters_;
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
  if (ctx.observer != nullptr) ctx.observer->BloodFractionsFound(ctx.store);
}

}  // namespace pedprep
