// Generation numbers and Wright's inbreeding coefficients of a pedigree.
//
// Animals are 0..n-1 in any order; each names its father and mother by index, or
// kUnknownParent. A parent index outside 0..n-1 counts as unknown. Parents may come after
// their offspring; an animal that is its own ancestor (a cycle of parent links), and every
// descendant of one, gets no figures.
//
// Generation: 0 for an animal with no known parent, otherwise 1 + the larger generation of
// its known parents.
// Inbreeding F: the method of Meuwissen and Luo (1992), which needs only each animal's
// ancestors, never the whole relationship matrix. With A = L D L' (L lower triangular with
// unit diagonal in an order where parents precede offspring),
//   F(i) = sum over the ancestors j of i, i included, of L(i,j)^2 D(j), minus 1;
//   D(j) = 1/2 - (F(father) + F(mother)) / 4, an unknown parent counting as F = -1;
//   L(i,p) = sum over the children c of p on the paths from i of L(i,c) / 2.
// The row L(i,.) is built from i upwards, taking ancestors by decreasing generation: every
// child of an ancestor on the way has a larger generation, so its share is complete when the
// ancestor is taken. Animals with the same two parents share F, worked out once. An animal
// with an unknown parent has F = 0.
#ifndef PEDPREP_INSPECT_INBREEDING_H_
#define PEDPREP_INSPECT_INBREEDING_H_

#include <cstdint>
#include <vector>

namespace pedprep {

inline constexpr int32_t kUnknownParent = -1;

struct ParentLinks {
  int32_t father = kUnknownParent;
  int32_t mother = kUnknownParent;
};

struct AncestryFigures {
  // [i] for animal i; generation -1 and inbreeding 0 when the animal is its own ancestor or
  // descends from one (`resolved` false).
  std::vector<int32_t> generation;
  std::vector<double> inbreeding;
  std::vector<bool> resolved;
};

AncestryFigures ComputeAncestry(const std::vector<ParentLinks>& parents);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_INBREEDING_H_
