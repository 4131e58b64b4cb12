#pragma once
// The command line of vostel-sim.
#include <optional>
#include <stdexcept>
#include <string>

namespace vostel::sim {

extern const char* const kUsage;

// Beyond 10 units, two presses of one button can lie more than the program's
// tolerance of 20 apart: what an unsteady receiver does to a one-press recording.
inline constexpr int kMostJitter = 50;

struct Options {
    int port = 0;
    std::optional<std::string> play;
    bool loop = false;
    std::optional<std::string> library;
    std::optional<std::string> raw;
    bool noise = false;
    int jitter = 2;
    std::optional<unsigned> seed;
    bool list = false;
    bool help = false;
    bool version = false;
};

// A bad command line: one line of text, exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Raises UsageError for an unknown option or a bad value.
Options parseOptions(int argc, char** argv);

}  // namespace vostel::sim
