// Renumbers every family 1..size in position order and rewrites parent references.
#ifndef PEDPREP_BREED_RENUMBERING_H_
#define PEDPREP_BREED_RENUMBERING_H_

#include <cstdint>

namespace pedprep {

struct RunContext;

void RENUM(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_BREED_RENUMBERING_H_
