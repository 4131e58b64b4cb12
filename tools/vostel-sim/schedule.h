#pragma once
// Schedules for --play: a comma-separated list of steps run one after another.
#include <chrono>
#include <cstddef>
#include <deque>
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

// A held button repeats its packet this often.
inline constexpr std::chrono::milliseconds kRepeat{110};
// Before quit ends the line, the program (which reads every 100 ms) gets at
// least one tick, and up to ten, to read what was sent.
inline constexpr std::chrono::milliseconds kLastRead{100};
inline constexpr std::chrono::milliseconds kLastReadAtMost{1000};

// The steps still to run, run one after another as their time comes.
class Schedule {
public:
    using Clock = std::chrono::steady_clock;

    // What the steps do on the emulated line.
    class Line {
    public:
        virtual ~Line() = default;
        virtual bool busy() const = 0;  // bytes still wait to go out
        virtual Clock::time_point lastPacketStart() const = 0;
        // Sends the button's packet; unplugged, it goes nowhere but counts as sent now.
        virtual void press(const Button& b, Clock::time_point now) = 0;
        // Whether the program has sent its initialisation command since the line was plugged in.
        virtual bool initialised() const = 0;
        virtual void unplug() = 0;
        virtual void plug() = 0;
        virtual void sendRaw() = 0;
        // Bytes sent that the program has not read yet.
        virtual std::size_t unread() const = 0;
        virtual void quit() = 0;
    };

    // With `loop`, `steps` start over once they are done.
    Schedule(const std::vector<Step>& steps, bool loop, const std::vector<Button>& buttons)
        : steps_(steps.begin(), steps.end()),
          loopSteps_(loop ? steps : std::vector<Step>{}),
          buttons_(buttons) {}

    void add(const Step& step) { steps_.push_back(step); }
    // Whether a press of `b` waits to be run.
    bool waiting(const Button& b) const;
    // Runs the steps whose time has come; returns when to look again.
    Clock::time_point advance(Clock::time_point now, Line& line);

private:
    std::deque<Step> steps_;
    std::vector<Step> loopSteps_;
    const std::vector<Button>& buttons_;
    bool started_ = false;  // the first step has begun
    int pressesLeft_ = 0;
    Clock::time_point stepTime_{};
};

}  // namespace vostel::sim
