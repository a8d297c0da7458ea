// A fuzz input that stands for several files: the parts are separated by the line "@@"
// ("\n@@\n" between two parts).
#ifndef PEDPREP_FUZZ_FUZZ_PARTS_H_
#define PEDPREP_FUZZ_FUZZ_PARTS_H_

#include <cstddef>
#include <string>
#include <vector>

namespace pedprep {

// The first `most` parts (what follows the most-th separator is dropped); at least one.
inline std::vector<std::string> SplitFuzzParts(const std::string& input, std::size_t most) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (parts.size() < most) {
    const std::size_t cut = input.find("\n@@\n", start);
    if (cut == std::string::npos) {
      parts.push_back(input.substr(start));
      break;
    }
    parts.push_back(input.substr(start, cut - start));
    start = cut + 4;
  }
  return parts;
}

}  // namespace pedprep

#endif  // PEDPREP_FUZZ_FUZZ_PARTS_H_
