#include "import/plain_split.h"

#include <cstring>

namespace pedprep {

bool IsPlainCsv(std::string_view text) {
  return text.empty() || std::memchr(text.data(), '"', text.size()) == nullptr;
}

}  // namespace pedprep
