// How many founders really stand behind a reference population: the founders' expected
// contributions, the effective numbers of founders and of ancestors, and the realised
// effective population size, over the pedigree as read.
//
// Input: animals 0..n-1 with their parent links and figures (figures/inbreeding.h);
// placeholders (dummy parents an import added) count as unknown parents and are never
// founders; animals that are their own ancestors (not resolved) take no part. Families are
// closed, so the figures of a family are worked out on its animals alone and the overall
// figures follow from the families' (see Combine).
//
// Definitions, over the N reference animals:
//   contribution c(j): the expected share of the reference's genes that passes through
//     animal j: c(j) = [j in the reference] / N + the sum over the children k of c(k) / 2;
//   founders: animals with both parents unknown and c > 0; founder i's p_i = c(i). An animal
//     with one parent unknown (a half-founder) stands, by default, for that parent's half,
//     for a founder of its own (a phantom parent, p = c / 2), so that the p_i add up to 1;
//     with HalfFounders::kRescale phantoms have no share and the founders' p_i are divided
//     by their sum K (the share of the reference's genes traced to founders);
//   fe = 1 / sum of p_i^2;
//   fa (Boichard, Maignel and Verrier 1997): ancestors are taken one at a time, each time the
//     one with the largest marginal contribution q(j) = c'(j) (k(j) - a(j)) / K, where c' is
//     the contribution with the parent links of the ancestors taken so far cut, k(j) the
//     share of j's genes traced to founders (1 with phantoms) and a(j) the share that comes
//     from the ancestors taken (a = k for an ancestor taken). A half-founder taken passes on
//     its unknown parent's half too: its phantom has nothing left. Ancestors are the
//     founders, the phantom parents (q = c'/2 until they or their animal are taken) and the
//     animals with a child in the reference's ancestry (a reference animal without such a
//     child is none). q within 1e-9 (relative) of the largest are equal, and of them the
//     animal first in line is taken, a phantom right after its animal. Taking stops when the
//     q taken add up to 1 (within 1e-10) or no q exceeds 1e-12; fa = 1 / sum of q^2;
//   mean ecg over the reference; Ne = 1 / (2 mean dF) over the reference animals with ecg
//     t > 1, dF = 1 - (1 - F)^(1 / (t - 1)) (Gutierrez et al. 2008), with
//     `ne_include_shallow` over all reference animals, dF = 0 for t <= 1; none when no such
//     animal exists or mean dF <= 0.
#ifndef PEDPREP_FIGURES_FOUNDER_FIGURES_H_
#define PEDPREP_FIGURES_FOUNDER_FIGURES_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "figures/inbreeding.h"

namespace pedprep {

// How an animal with one parent unknown counts: that parent as a founder of its own with half
// the animal's contribution (phantom), or not at all, the founders' contributions rescaled to
// add up to 1 (rescale).
enum class HalfFounders { kPhantom, kRescale };

struct FounderConventions {
  HalfFounders half_founders = HalfFounders::kPhantom;
  bool ne_include_shallow = false;  // reference animals with ecg <= 1 count in Ne with dF 0
};

struct FounderShare {
  int32_t animal = 0;  // the founder, or the animal with one parent unknown (phantom)
  bool phantom = false;
  double p = 0.0;
};

struct FounderFigures {
  int32_t reference = 0;      // animals of the reference population
  int32_t founders = 0;       // founders with a contribution
  int32_t half_founders = 0;  // animals with one parent unknown and a contribution
  double ecg_sum = 0.0;       // over the reference
  double traced = 1.0;        // share of the reference's genes the p and q are shares of
  double p_squares = 0.0;     // sum of p_i^2
  double q_squares = 0.0;     // sum of q^2 of the ancestors taken
  int32_t ancestors_taken = 0;
  int32_t delta_f_animals = 0;  // reference animals with ecg > 1
  double delta_f_sum = 0.0;
  std::vector<FounderShare> shares;  // by animal

  double MeanEcg() const;
  std::optional<double> Fe() const;
  std::optional<double> Fa() const;
  std::optional<double> Ne() const;
};

// The figures of animals first..last-1, whose parents are among them (a parent elsewhere
// counts as unknown). `reference[i]` names the reference animals; `placeholder` may be empty.
FounderFigures ComputeFounderFigures(const std::vector<ParentLinks>& links,
                                     const std::vector<bool>& placeholder,
                                     const AncestryFigures& figures,
                                     const std::vector<bool>& reference, int32_t first,
                                     int32_t last, const FounderConventions& conventions = {});

// The figures of the union of closed groups: reference animals and founders add up, a
// group's p and q scale by its share of the reference's genes traced to founders (with
// phantoms: its share of the reference animals).
FounderFigures Combine(const std::vector<FounderFigures>& groups);

}  // namespace pedprep

#endif  // PEDPREP_FIGURES_FOUNDER_FIGURES_H_
