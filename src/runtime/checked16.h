#pragma once
// 16-bit signed arithmetic that raises the overflow error (6) when a result
// leaves -32768..32767, as the program's counters, lengths and indexes do.
#include <cstdint>

#include "runtime/error.h"

namespace vostel {

inline int16_t toInt16(long long v) {
    if (v < INT16_MIN || v > INT16_MAX) throw RuntimeError(kErrOverflow);
    return static_cast<int16_t>(v);
}
inline int16_t add16(int16_t a, int16_t b) { return toInt16(static_cast<long long>(a) + b); }
inline int16_t sub16(int16_t a, int16_t b) { return toInt16(static_cast<long long>(a) - b); }
inline int16_t mul16(int16_t a, int16_t b) { return toInt16(static_cast<long long>(a) * b); }
inline int16_t abs16(int16_t a) { return toInt16(a < 0 ? -static_cast<long long>(a) : a); }

}  // namespace vostel
