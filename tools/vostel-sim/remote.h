#pragma once
// The buttons the emulator can press: a built-in demo remote control, or the
// records of a library file.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vostel::sim {

struct Button {
    std::string name;            // shown and used in schedules (UTF-8)
    std::vector<int> durations;  // 0..254 each
    char key = 0;                // key that presses it in interactive mode
    std::string alias;           // "#N": N is the button's number (a library record's index)
};

// A remote control with NEC-like codes: a leader pulse and space, 32 bits sent
// as a short pulse followed by a short or a long space, and a closing pulse
// (67 durations). One duration unit is 40 microseconds.
std::vector<Button> demoRemote();

// The bytes the unit sends for one press: the durations, each moved by a random
// amount in [-jitter, jitter] and kept within 1..253, framed as a packet.
std::string packetBytes(const std::vector<int>& durations, int jitter, std::mt19937& rng);

// The records of a library file as buttons named by their IDs. Records that
// cannot be sent (no packet, a value that is no duration byte) are left out
// with a note on standard error; keys 1-9 then a-z (except the command keys)
// press them. A file that cannot be read or holds nothing to send raises
// std::runtime_error.
std::vector<Button> libraryButtons(const std::string& file);

// 1 to `most` random bytes, as a stray flash of light or a noisy cable gives.
std::string junkBytes(int most, std::mt19937& rng);

// "#N", the alias of button number N.
std::string aliasOf(std::size_t index);

// The button with this name or alias; nullptr if none.
const Button* findButton(const std::vector<Button>& buttons, const std::string& name);

}  // namespace vostel::sim
