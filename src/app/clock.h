#pragma once
// The clock of the recognition stage's hold-off: seconds since local midnight.
namespace vostel {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since local midnight with their fraction, as a 32-bit float;
    // goes back to 0 at midnight.
    virtual float secondsSinceMidnight() = 0;
};

class SystemClock final : public Clock {
public:
    float secondsSinceMidnight() override;
};

}  // namespace vostel
