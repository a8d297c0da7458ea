// `pedprep mate`: the calf of a planned mating, from the run made in memory (nothing is
// written): its inbreeding coefficient (the kinship of its parents, on the pedigree as read,
// figures/inbreeding.h) and its breed composition (the mean of the parents' fractions).
//
// The parents are named as users type them (figures/animal_lookup.h): a
// herd-book id of ids.csv or FAMILY:INDIVIDUAL. One pair (--sire, --dam) or a file of pairs
// (records/id_list.h), each pair one row of the output, in the order given.
// Columns: sire, dam (as given), inbreeding (6 decimals), one column per breed (4 decimals,
// rounded as `pedprep animals` rounds them; empty when the run stops before the blood step
// ends). CSV (RFC 4180, header line) for --csv and for a file of pairs; else aligned columns,
// the ids left-aligned.
#ifndef PEDPREP_REPORTS_MATE_H_
#define PEDPREP_REPORTS_MATE_H_

#include <ostream>
#include <string>

namespace pedprep {

class RunFacts;

struct MateRequest {
  std::string sire{};
  std::string dam{};
  std::string pairs_name{};  // --pairs FILE as given ("" = one pair)
  std::string pairs_text{};  // its contents
  bool csv = false;
  // Ranking (--dam with --sires, or --sire with --dams) and plans (--plan with both lists):
  // files of ids, one a line (records/id_list.h).
  std::string sires_name{};
  std::string sires_text{};
  std::string dams_name{};
  std::string dams_text{};
  bool plan = false;
  int max_per_sire = 0;  // 0 = the dams divided by the sires, rounded up
  std::string native{};  // --plan's second goal: least native kinship (a breed name; "" = none)
};

// Ranking: the dam (--dam) with each sire of --sires, or the sire with each dam of --dams,
// as rows of pairs in the same columns, the least inbred calf first (ties in the file's
// order); each row's line of the file names it in problems.
//
// Returns 0 when every pair was worked out (a run that stops after its blood step is noted on
// `err`); 1 when an id names no animal, a sire is female or a dam male, a parent is its own
// ancestor, or the run stops before the breed fractions are known (lines on `err`; nothing on
// `out`); 2 when a file of pairs cannot be read; 70 when the run's copies cannot be matched
// to the animals read (a fault inside pedprep, one line on `err`).
int RunMate(const RunFacts& facts, const MateRequest& request, std::ostream& out,
            std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_REPORTS_MATE_H_
