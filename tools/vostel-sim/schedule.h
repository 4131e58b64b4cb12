#pragma once
// Schedules for --play: a comma-separated list of steps run one after another.
#include <chrono>
#include <string>
#include <vector>

#include "remote.h"

namespace vostel::sim {

struct Step {
    enum Kind { Press, Wait, Init, Unplug, Plug, Raw, All, Quit } kind;
    const Button* button = nullptr;     // Press
    int count = 1;                      // Press: packets sent while the button is held
    std::chrono::milliseconds wait{0};  // Wait
};

extern const char* const kScheduleHelp;

// Parses the steps of --play; throws std::invalid_argument with a one-line reason.
std::vector<Step> parseSchedule(const std::string& text, const std::vector<Button>& buttons);

}  // namespace vostel::sim
