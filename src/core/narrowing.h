// Narrowing to the element widths of the store and the export tables: the low bits of a
// value in two's complement, as the data model keeps a number that does not fit its column
// (40000 -> -25536 in 16 bits, 200 -> -56 in signed 8 bits, -1 -> 255 in unsigned 8 bits).
#ifndef PEDPREP_CORE_NARROWING_H_
#define PEDPREP_CORE_NARROWING_H_

#include <cstdint>

namespace pedprep {

// Low 16 bits, signed: the 16-bit columns (MAS0, MAS, INI_ID, INS, BREAK_IND).
constexpr int16_t Low16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
// Low 8 bits, signed: IFON and the nation codes.
constexpr int8_t Low8(int32_t v) { return static_cast<int8_t>(static_cast<uint8_t>(v)); }
// Low 8 bits, unsigned: the breed and sex codes of MAS1.
constexpr uint8_t LowByte(int32_t v) { return static_cast<uint8_t>(v); }

static_assert(Low16(40000) == -25536 && Low16(-32768) == -32768 && Low16(65535) == -1);
static_assert(Low8(200) == -56 && Low8(-129) == 127 && Low8(127) == 127);
static_assert(LowByte(-1) == 255 && LowByte(256) == 0);

}  // namespace pedprep

#endif  // PEDPREP_CORE_NARROWING_H_
