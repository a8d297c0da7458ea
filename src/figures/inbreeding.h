// Generation numbers, Wright's inbreeding coefficients and the completeness of a pedigree.
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
//
// Completeness counts placeholders (parents an import made up, `placeholder[i]` true) as
// unknown, and a placeholder's own figures are 0:
//   ecg: equivalent complete generations, the sum over every path to a known ancestor of
//        (1/2)^n, n generations back; ecg(i) = sum over the known parents p of (1 + ecg(p)) / 2;
//   complete: the generations back in which every ancestor is known; 0 with a parent
//        unknown, else 1 + the smaller of the parents' counts.
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
  std::vector<double> ecg;        // 0 when not resolved
  std::vector<int32_t> complete;  // 0 when not resolved
};

// `placeholder`: empty (none) or one flag per animal.
AncestryFigures ComputeAncestry(const std::vector<ParentLinks>& parents,
                                const std::vector<bool>& placeholder = {});

// The inbreeding coefficient of a calf of two animals of a pedigree (their kinship), each
// query walking only the two parents' ancestors. `figures` (ComputeAncestry of the same
// links) must outlive the calculator.
class CalfInbreeding {
 public:
  CalfInbreeding(const std::vector<ParentLinks>& parents, const AncestryFigures& figures);
  CalfInbreeding(const CalfInbreeding&) = delete;
  CalfInbreeding& operator=(const CalfInbreeding&) = delete;

  // `sire` and `dam` must be resolved animals 0..n-1 (equal for a selfing).
  double Of(int32_t sire, int32_t dam);

 private:
  const std::vector<ParentLinks> links_;  // parents out of range made unknown
  const AncestryFigures& figures_;
  std::vector<double> d_;
  std::vector<double> l_;
  std::vector<std::vector<int32_t>> by_generation_;
};

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_INBREEDING_H_
