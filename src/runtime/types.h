#pragma once
// Types shared by the subsystems.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vostel {

// One received packet: the duration bytes, markers stripped, in received order.
using Packet = std::vector<int16_t>;
// A packet that may be absent (no array at all), which differs from an empty one.
using OptPacket = std::optional<Packet>;
// Raw input text: one char per received byte, char value = byte value.
using RawText = std::string;

}  // namespace vostel
