// Counts as people read them in messages and summaries: digits grouped by commas (1,234)
// and a noun that agrees with the count ("1 copy", "2 copies").
#ifndef PEDPREP_RECORDS_COUNT_TEXT_H_
#define PEDPREP_RECORDS_COUNT_TEXT_H_

#include <string>

namespace pedprep {

// "-1,234,567"; no commas below 1,000.
std::string CountText(long long count);

// CountText(count) + " " + (count == 1 ? singular : plural).
std::string Counted(long long count, const std::string& singular, const std::string& plural);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_COUNT_TEXT_H_
