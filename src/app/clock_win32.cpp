// The clock of the recognition stage on Windows: the local time of day.
#include <windows.h>

#include "app/clock.h"

namespace vostel {

float SystemClock::secondsSinceMidnight() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const double seconds = now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
    return static_cast<float>(seconds);
}

}  // namespace vostel
