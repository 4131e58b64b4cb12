#include "app/hold_off.h"

namespace vostel {

namespace {
constexpr float kSecondsPerDay = 86400.0f;
}

bool HoldOff::passed() {
    float elapsed = clock_.secondsSinceMidnight() - lastActionTime_;
    // Midnight between the two readings: count across it.
    if (elapsed < 0) elapsed += kSecondsPerDay;
    return elapsed > kSeconds;
}

}  // namespace vostel
