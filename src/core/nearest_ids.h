// The ids a mistyped one may have meant: "no animal Charles Darwin (nearest: Charles Robert
// Darwin, ...)".
//
// An id is near `typed` when it is a few edits away (insertions, deletions, substitutions and
// swaps of neighbours, letter case ignored: at most 2, and fewer than a third of `typed`), or
// when it shares a word with it (a run of letters and digits of 2 or more, letter case
// ignored; words of 5 or more one edit apart count as shared). Ids longer than a message
// shows whole (kMessageTextLength bytes) are neither matched nor suggested. Nearest first: the ids
// a few edits away by distance, then the others by the words shared; ties in the order given.
#ifndef PEDPREP_CORE_NEAREST_IDS_H_
#define PEDPREP_CORE_NEAREST_IDS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pedprep {

// The optimal string alignment distance of `a` and `b`, each edit 1.
std::size_t EditDistance(std::string_view a, std::string_view b);

// At most `count` of `ids` near `typed`, nearest first (`typed` itself excluded).
std::vector<std::string> NearestIds(std::string_view typed, const std::vector<std::string>& ids,
                                    std::size_t count = 5);

// " (nearest: A, B)" for NearestIds (each id cut and its control bytes escaped), "" for none.
std::string NearestIdsNote(std::string_view typed, const std::vector<std::string>& ids);

}  // namespace pedprep

#endif  // PEDPREP_CORE_NEAREST_IDS_H_
