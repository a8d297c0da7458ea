// The values of herd-book fields: integers within a range, years of birth.
#ifndef PEDPREP_IMPORT_FIELD_VALUES_H_
#define PEDPREP_IMPORT_FIELD_VALUES_H_

#include <cstdint>
#include <string_view>

namespace pedprep {

enum class Parsed { kGood, kNotInteger, kOutOfRange };

// `text` (a leading '+' allowed) as an integer into `*value` when it lies in min..max.
Parsed ParseInteger(std::string_view text, int min, int max, int32_t* value);

// The year in a birth year or date: a run of 4 digits, or the first 4 of a run of 8; 0 when
// there is none or more than one run of 4 or 8 digits. A date that names its month and day
// (YYYYMMDD, Y-M-D, D.M.Y, D/M/Y or M/D/Y, a time after it) must name a day that exists;
// otherwise `*impossible` is set and 0 returned.
int YearOf(std::string_view text, bool* impossible);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_FIELD_VALUES_H_
