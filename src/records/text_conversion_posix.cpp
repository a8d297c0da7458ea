#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "records/text_conversion.h"

namespace pedprep {

std::string ConvertToUtf8From(std::string_view bytes, const char* from, std::size_t unit) {
  iconv_t cd = iconv_open("UTF-8", from);
  // iconv_open says it failed with (iconv_t)-1.
  if (reinterpret_cast<std::intptr_t>(cd) == -1) return std::string(bytes);
  std::string out(bytes.size() + bytes.size() / 2 + 16, '\0');
  // iconv's interface takes non-const input.
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  std::size_t written = 0;
  while (in_left > 0) {
    char* to = out.data() + written;
    std::size_t to_left = out.size() - written;
    const std::size_t done = iconv(cd, &in, &in_left, &to, &to_left);
    written = out.size() - to_left;
    if (done != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: a unit without a character, or cut off at the end.
    if (out.size() - written < 3) out.resize(out.size() * 2);
    std::memcpy(out.data() + written, "\xEF\xBF\xBD", 3);
    written += 3;
    const std::size_t skip = std::min(unit, in_left);
    in += skip;
    in_left -= skip;
  }
  iconv_close(cd);
  out.resize(written);
  return out;
}

}  // namespace pedprep
