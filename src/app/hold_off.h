#pragma once
// The hold-off of the recognition stage: two logged recognitions are always
// more than 0.35 s apart, measured from the end of the earlier action.
#include "app/clock.h"

namespace vostel {

class HoldOff {
public:
    static constexpr float kSeconds = 0.35f;

    explicit HoldOff(Clock& clock) : clock_(clock) {}

    // Whether a recognition now may be logged: more than 0.35 s since the last
    // action ended (taken across midnight when midnight lies between).
    bool passed();
    // Notes that an action has ended: the clock is read now.
    void noteAction() { lastActionTime_ = clock_.secondsSinceMidnight(); }

    // Seconds since midnight when the last action ended; 0 before the first.
    float lastActionTime() const { return lastActionTime_; }

private:
    Clock& clock_;
    float lastActionTime_ = 0;
};

}  // namespace vostel
