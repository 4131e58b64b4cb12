#pragma once
// The serial control's Settings text ("9600,N,8,1": baud, parity, data bits,
// stop bits), parsed once for every platform's serial control.

#include <cstdint>
#include <string>

namespace vostel {

struct LineSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    int32_t baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;  // 5 to 8
    StopBits stopBits = StopBits::One;
};

// Throws the comm-state error naming the text when it is not four such fields.
LineSettings parseLineSettings(const std::string& settings);

}  // namespace vostel
