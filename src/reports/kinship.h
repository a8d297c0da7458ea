// Kinship of a pedigree without its matrix, and `pedprep kinship`: the mean kinship of
// candidates for breeding, their gene diversity and, for a native breed, their kinship at the
// native breed's alleles.
//
// Kinship f_ij: the probability that an allele drawn from i and one drawn from j are
// identical by descent, on the pedigree as read (figures/inbreeding.h: a copy is its
// original, dummies and founders are unrelated); f_ii = (1 + F_i) / 2.
// Native kinship (NC_i: the fraction of the native breed in i, from its parents' mean, a
// founder's from its breed fractions):
//   fN_ij  P(identical by descent and native): fN_ij = (fN_i,s_j + fN_i,d_j) / 2 for j not an
//          ancestor of i, fN_ii = NC_i / 2 + fN_s_i,d_i / 2, a founder NC_i / 2, two
//          founders 0;
//   g_ij   P(both native): the same recursion, g_ii = NC_i / 2 + g_s_i,d_i / 2, a founder
//          NC_i, two founders NC_i NC_j.
// An animal with one parent unknown has for it a founder of its own whose fraction makes the
// two parents' mean NC_i (cut to 0..1).
//
// Each of these matrices M is T Q T' + c c' (Colleau 2002; T = (I - P)^-1, P holding 1/2 at
// each known parent, Q diagonal, c = NC for g and 0 otherwise), so M x costs two passes over
// the pedigree: u = T' x from the youngest up, then T (Q u) from the founders down. Q comes
// from each animal's own diagonal and its parents':
//   kinship      Q_j = 1/4 - (F_s + F_d) / 8, an unknown parent counting as F = -1;
//   fN           Q_j = NC_j / 2 - (fN_ss + fN_dd) / 4;
//   g            Q_j = NC_j / 2 - (g_ss + g_dd) / 4;
// a founder NC_j / 2 and NC_j - NC_j^2; an unknown parent's own founder adds its own Q / 4 to
// its child's. The diagonals fN_jj and g_jj are the sums over j's ancestors (j included) of
// T_jk^2 Q_k (plus NC_j^2 for g), walked as F is (figures/inbreeding.h).
#ifndef PEDPREP_REPORTS_KINSHIP_H_
#define PEDPREP_REPORTS_KINSHIP_H_

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "figures/animal_table.h"
#include "figures/inbreeding.h"

namespace pedprep {

class RunFacts;

// M x for one of the matrices above. Animals 0..n-1 as in the links; an animal that is not
// `resolved` (its own ancestor or a descendant of one) takes no part: its x is ignored and
// its (M x) is 0.
class KinshipProduct {
 public:
  // The product with the kinship matrix f.
  static KinshipProduct Kinship(const std::vector<ParentLinks>& links,
                                const AncestryFigures& figures);
  // The products with fN and with g for native fractions `native` (NC of the founders; the
  // others' are their parents' mean, or their own with a parent unknown).
  static void Native(const std::vector<ParentLinks>& links, const AncestryFigures& figures,
                     const std::vector<double>& native, KinshipProduct* identical,
                     KinshipProduct* both_native);

  std::vector<double> Times(const std::vector<double>& x) const;
  // The native fractions NC used (empty for Kinship).
  const std::vector<double>& fractions() const { return fractions_; }

 private:
  std::vector<ParentLinks> links_;  // out of range and unresolved parents made unknown
  std::vector<int32_t> order_;      // the resolved animals, parents first
  std::vector<double> q_;
  std::vector<double> fractions_;  // c (g only)
  bool rank_one_ = false;
};

// The mean kinship over every pair of the animals `members[i]` of the pedigree (self-pairs
// included); none without members.
std::optional<double> MeanKinship(const std::vector<ParentLinks>& links,
                                  const AncestryFigures& figures, const std::vector<bool>& members);

// Each animal's fraction of breed `breed` (0..NRAC-1) by passport data line, as the blood
// step found it (0 when it did not end).
std::vector<double> BreedFractionOf(const AnimalTable& table, std::size_t breed);

struct KinshipRequest {
  std::string candidates_name;  // --candidates FILE as given ("" = not given)
  std::string candidates_text;  // its contents
  std::optional<int32_t> born_from;
  std::string native;  // --native BREED ("" = none)
  bool csv = false;
};

// `pedprep kinship`. Text: the overall lines (`candidates: N`, `mean kinship: X`, `gene
// diversity: X`, `founder genome equivalents: X`, with --native `native contribution: X` and
// `native kinship: X`), a blank line, then the candidates as aligned columns, lowest mean
// kinship first. CSV: the candidates in the order chosen (the file's, else the animals'),
// the overall lines on `err`. Columns: id (the herd-book id, else FAMILY:INDIVIDUAL),
// mean_kinship, with --native native_contribution and native_kinship; 6 decimals.
// Returns 0; 1 when a candidate names no animal (or a dummy, or one without figures), no
// animal is a candidate, the breed is not one of the legend or the run stops before the
// breed fractions are known (--native); 70 when the run's copies cannot be matched to the
// animals read (a fault inside pedprep, one line on `err`).
int RunKinship(const RunFacts& facts, const KinshipRequest& request, std::ostream& out,
               std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_REPORTS_KINSHIP_H_
