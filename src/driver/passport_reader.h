// Reads PEDIGREE.PRN into the store, checking each record and the family numbering.
#ifndef PEDPREP_DRIVER_PASSPORT_READER_H_
#define PEDPREP_DRIVER_PASSPORT_READER_H_

#include <cstdint>

namespace pedprep {

struct RunContext;

void ReadPassport(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_DRIVER_PASSPORT_READER_H_
