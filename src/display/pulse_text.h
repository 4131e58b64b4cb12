#pragma once
// A packet's pulse train as one line of text, for terminals: the segments
// that the picture area draws, '#' for those in the first colour and '_' for
// those in the second, at one character per 8 pixels of the picture area
// (rounded), and at least one character for every duration so none is lost.
#include <cstddef>
#include <string>

#include "runtime/types.h"

namespace vostel {

inline constexpr double kPixelsPerCharacter = 8;

// At most `width` characters; a train that goes on beyond them ends in '>'.
std::string pulseTrainText(const Packet& packet, std::size_t width = 100);

}  // namespace vostel
