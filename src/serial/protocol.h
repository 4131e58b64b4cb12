#pragma once
// The receiver unit's protocol on the serial line: what the program sends to
// start it, and the bytes around every packet of durations it sends back.
#include <string>
#include <string_view>

namespace vostel::protocol {

// Sent once after the port is opened: "ATV1Q0" and a carriage return.
inline constexpr std::string_view kInitCommand = "ATV1Q0\r";

// A packet on the line: the start byte, the duration bytes, the end byte.
inline constexpr char kPacketStart = '\xFE';
inline constexpr char kPacketEnd = '\xFF';

// The line bytes of a packet whose duration bytes are `durations`.
inline std::string framed(std::string_view durations) {
    std::string bytes(1, kPacketStart);
    bytes += durations;
    bytes += kPacketEnd;
    return bytes;
}

}  // namespace vostel::protocol
