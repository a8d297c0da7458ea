// Test support for the structure stage: a fresh run loaded with a small pedigree, and the
// structure stage's context on it.
#ifndef PEDPREP_TESTING_PEDIGREE_FIXTURE_H_
#define PEDPREP_TESTING_PEDIGREE_FIXTURE_H_

#include <vector>

#include "reference/rebuilding_workspace.h"
#include "structure/loop_queue.h"
#include "testing/test_run.h"

namespace pedprep::testing {

// One passport row as the structure stage sees it: family, individual, father, mother, sex
// (1 male, 2 female).
struct Member {
  int family;
  int id;
  int father;
  int mother;
  int sex;
};

bool operator==(const Member& a, const Member& b);

// Founders 1 (male) and 2 (female), their son 3 and daughter 4, and the child 5 of 3 and 4:
// one loop, broken by one copy.
extern const std::vector<Member> kFullSib;

// `loops` sire-daughter loops, 64 to a family: each needs one loop-break copy.
std::vector<Member> SireDaughterLoops(int loops);

// One family in which the loop search expands many individuals more than once: founders 1
// and 2 with `daughters` sons; founders F and M with as many daughters; son i and daughter i
// have a daughter g. With `with_half_sibs`, every daughter also has a son by one more son of
// 1 and 2, and that son has a child with her daughter g. 153 daughters fill the loop-search
// queue; 154 overflow it at a parent or an earlier sibling, 163 at a later sibling, 151 with
// half-sibs at the mate in a parent slot.
std::vector<Member> CrossedSibships(int daughters, bool with_half_sibs);

// The passport records Load() stores for `members`.
std::vector<PassportRow> PassportRows(const std::vector<Member>& members);

// Load() fills positions 1..N through FillStore (breed code 1 for founders, 0 otherwise;
// INI_ID = 100 + position) and marks every row so that a moved row shows: IFON = position
// mod 7, PRACE(i, t) = position + t / 10 for t = 1..NRAC.
struct PedigreeFixture : TestRun {
  void Load(const std::vector<Member>& members, int nrac = 2);
  // The current rows of the store as members, positions 1..ND.
  std::vector<Member> Rows() const;

  // The structure analysis's view of the run (store, console, queue), and the rebuilding
  // analysis's (store, console, workspace).
  StructureContext structure{ctx->store, console};
  RebuildingContext rebuilding{ctx->store, console};
};

}  // namespace pedprep::testing

#endif  // PEDPREP_TESTING_PEDIGREE_FIXTURE_H_
