#include "records/count_text.h"

namespace pedprep {

std::string CountText(long long count) {
  std::string digits = std::to_string(count);
  const int first = digits[0] == '-' ? 1 : 0;
  for (int i = static_cast<int>(digits.size()) - 3; i > first; i -= 3) digits.insert(i, ",");
  return digits;
}

std::string Counted(long long count, const std::string& singular, const std::string& plural) {
  return CountText(count) + " " + (count == 1 ? singular : plural);
}

}  // namespace pedprep
