// The hash of herd-book ids for the import's id tables.
#ifndef PEDPREP_IMPORT_ID_HASH_H_
#define PEDPREP_IMPORT_ID_HASH_H_

#include <cstdint>
#include <string_view>

namespace pedprep {

// The hash of an id used by the id tables of the import (64 bits, well mixed in every bit).
uint64_t IdHash(std::string_view id);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_ID_HASH_H_
