#pragma once
// The library's match rule: two packets match when they have the same length
// and every element of one lies within 20 of the other's.
#include <cstddef>
#include <cstdint>

#include "runtime/types.h"

namespace vostel {

inline constexpr int kTolerance = 20;

// Whether |a[i] - b[i]| <= limit for every i < n (limit 0 to 65535).
bool withinDistance(const int16_t* a, const int16_t* b, std::size_t n, int limit);

// The match rule itself: same length, every element within kTolerance.
inline bool packetsMatch(const Packet& received, const Packet& stored) {
    return received.size() == stored.size() &&
           withinDistance(received.data(), stored.data(), received.size(), kTolerance);
}

}  // namespace vostel
