// Values that pass through record layouts: what a write takes and where a read stores.
#ifndef PEDPREP_RECORDS_VALUES_H_
#define PEDPREP_RECORDS_VALUES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pedprep {

// One value of an output list. Integers remember their element width in bytes (1, 2 or 4),
// which decides their size in a binary record; in text records only the number counts.
// Text is a fixed-length string of bytes; it may hold any byte, zero bytes included.
struct OutValue {
  enum class Kind { kInt, kText };
  Kind kind = Kind::kInt;
  int bytes = 4;
  int64_t number = 0;
  std::string text;
};

inline OutValue I32(int32_t v) { return OutValue{OutValue::Kind::kInt, 4, v, {}}; }
inline OutValue I16(int16_t v) { return OutValue{OutValue::Kind::kInt, 2, v, {}}; }
inline OutValue I8(int8_t v) { return OutValue{OutValue::Kind::kInt, 1, v, {}}; }
inline OutValue Str(std::string_view s) {
  return OutValue{OutValue::Kind::kText, 0, 0, std::string(s)};
}

using OutList = std::vector<OutValue>;

// One destination of an input list. An integer destination accepts what fits its width:
// 32 bits: any 32-bit value; 16 bits: -32767..32767; 8 bits: -127..127; unsigned 8 bits:
// 0..255. A text destination
// is a string of `length` bytes, filled up with blanks.
struct InTarget {
  enum class Kind { kInt32, kInt16, kInt8, kUInt8, kText };
  Kind kind;
  void* dest;
  std::size_t length = 0;
};

inline InTarget Into(int32_t& v) { return InTarget{InTarget::Kind::kInt32, &v, 0}; }
inline InTarget Into(int16_t& v) { return InTarget{InTarget::Kind::kInt16, &v, 0}; }
inline InTarget Into(int8_t& v) { return InTarget{InTarget::Kind::kInt8, &v, 0}; }
inline InTarget Into(uint8_t& v) { return InTarget{InTarget::Kind::kUInt8, &v, 0}; }
inline InTarget IntoText(std::string& s, std::size_t length) {
  return InTarget{InTarget::Kind::kText, &s, length};
}

using InList = std::vector<InTarget>;

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_VALUES_H_
