// Breadth-first loop search over the unpeeled nuclear families of the family under
// analysis, and the diagnostic block written when the search runs dry.
#ifndef PEDPREP_REFERENCE_QUEUE_SEARCH_H_
#define PEDPREP_REFERENCE_QUEUE_SEARCH_H_

#include <cstdint>
#include <string_view>

namespace pedprep {

struct RebuildingContext;

// Starts the queue: K1 = K2 = 1, entry 1 = (father of the lowest-numbered unpeeled nuclear
// family, 0). With no unpeeled nuclear family writes "NOTHING TO DO" and stops the run.
void StartLoopSearch(RebuildingContext& ctx);

// Expands queue entry K1: NI = its individual, IVIS = 0, IA = 0; scan A appends what NI
// reaches as a parent, scan B what it reaches as a child. Meeting a nuclear family already
// entered through its father slot sets IVIS = 1 and IA (scan A: that family; scan B: the
// arrival family of the entry). A full queue (24096 entries) writes "ERROR: K2 OVERFLOW n"
// and stops the run.
void ExpandHead(RebuildingContext& ctx);

// Expands entries from K1 on until one closes a loop that may be broken; returns with NI and
// IA set and K1 at that entry. In nmode 1 a loop at a nuclear family with a back-link is
// passed over ("CAUSE 2"). An exhausted queue writes the diagnostic block and stops the run.
void FindLoop(RebuildingContext& ctx, int32_t nmode);

// The diagnostic block: the heading line, "K1,K2" with K1 and K2, and three records of
// layout (A15,4096I5): the head entry with IVIS, LBACK(IA) and IA; column 1 of the queue;
// column 2 of the queue. An entry beyond the queue and LBACK of nuclear family 0 show 0;
// more than 4096 integers continue on records of 15 blanks and up to 4096 fields.
void WriteSearchDiagnostics(RebuildingContext& ctx, std::string_view heading);
// The diagnostic block without its heading (what follows a stop's message).
void WriteSearchDetails(RebuildingContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_QUEUE_SEARCH_H_
