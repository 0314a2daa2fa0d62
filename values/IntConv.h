// The one conversion from the runtime's doubles to integers, used by every command:
// truncation toward zero into 32 bits, defined for every double.
#pragma once

#include <cmath>
#include <cstdint>

// x86 "integer indefinite": what the processor gives for NaN, infinities and
// values beyond 32 bits.
constexpr int32_t kIntegerIndefinite = INT32_MIN;

// Truncates toward zero into a signed 32-bit integer; NaN, infinities and values
// outside the 32-bit range give kIntegerIndefinite.
inline int32_t KvToInt(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return kIntegerIndefinite;
    return static_cast<int32_t>(value);
}

// The low 16 bits of the 32-bit truncation, as a signed 16-bit value: what the
// graphics layer takes for coordinates, sprite and font numbers.
inline int16_t KvToShort(double value) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(KvToInt(value))));
}

// Colours: truncated toward zero to 64 bits, the low 32 bits kept (0x00BBGGRR).
inline uint32_t KvToColour(double value) {
    if (!(value > -9223372036854775808.0 && value < 9223372036854775808.0))
        return 0;  // x86 gives 0x8000000000000000 here, whose low 32 bits are 0
    return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value)));
}
