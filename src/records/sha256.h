// SHA-256 (FIPS 180-4) of a byte string, as 64 lower-case hexadecimal digits.
#ifndef PEDPREP_RECORDS_SHA256_H_
#define PEDPREP_RECORDS_SHA256_H_

#include <string>
#include <string_view>

namespace pedprep {

std::string Sha256Hex(std::string_view bytes);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_SHA256_H_
