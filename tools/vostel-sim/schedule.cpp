#include "schedule.h"

#include <cctype>
#include <stdexcept>

namespace vostel::sim {

const char* const kScheduleHelp =
    "STEPS is a comma-separated list of steps, run in order:\n"
    "  NAME      press the button NAME once (#N: button N from 0, or record N of a library)\n"
    "  NAMExK    hold the button: K packets, one every 110 ms\n"
    "  500ms 2s  wait (a step starts when the previous packet has been sent)\n"
    "  init      wait until the program has sent its initialisation command\n"
    "            (once after each plug-in; a repeated schedule waits no more)\n"
    "  unplug    close the pseudo-terminal, as if the receiver were unplugged\n"
    "  plug      plug it in again: a new pseudo-terminal behind the same port link\n"
    "  raw       send the --raw file\n"
    "  all       press every button once, 500 ms apart\n"
    "  quit      end vostel-sim, once the program has read what was sent\n"
    "            (at most a second)\n"
    "  --play - reads the steps from standard input, one or more per line, as they come.\n";

namespace {

std::string trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool allDigits(const std::string& s) {
    if (s.empty() || s.size() > 6) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// "250ms", "2s", "1.5s"; false when the text is no duration.
bool parseDuration(const std::string& s, std::chrono::milliseconds& out) {
    std::size_t unit = s.find_first_not_of("0123456789.");
    if (unit == 0 || unit == std::string::npos) return false;
    std::string number = s.substr(0, unit), suffix = s.substr(unit);
    if (number.find('.') != number.rfind('.') || number.front() == '.' || number.back() == '.') return false;
    if (number.size() > 9) return false;
    double value = std::stod(number);
    if (suffix == "ms")
        out = std::chrono::milliseconds(static_cast<long long>(value));
    else if (suffix == "s")
        out = std::chrono::milliseconds(static_cast<long long>(value * 1000));
    else
        return false;
    return true;
}

Step parseStep(const std::string& text, const std::vector<Button>& buttons) {
    static const std::pair<const char*, Step::Kind> keywords[] = {
        {"init", Step::Init}, {"unplug", Step::Unplug}, {"plug", Step::Plug},
        {"raw", Step::Raw},   {"all", Step::All},       {"quit", Step::Quit}};
    if (const Button* b = findButton(buttons, text)) return {Step::Press, b, 1, {}};
    for (const auto& [word, kind] : keywords)
        if (text == word) return {kind, nullptr, 1, {}};
    std::chrono::milliseconds wait{};
    if (parseDuration(text, wait)) return {Step::Wait, nullptr, 1, wait};
    std::size_t x = text.rfind('x');
    if (x != std::string::npos && x > 0 && allDigits(text.substr(x + 1))) {
        const Button* b = findButton(buttons, text.substr(0, x));
        int count = std::stoi(text.substr(x + 1));
        if (b && count >= 1) return {Step::Press, b, count, {}};
    }
    // "#N" (or "#NxK") names a button by its number.
    const std::string pressed = x != std::string::npos && x > 0 ? text.substr(0, x) : text;
    if (pressed.size() > 1 && pressed[0] == '#' && allDigits(pressed.substr(1)))
        throw std::invalid_argument("there is no button " + pressed.substr(1) + " (the buttons are #0 to #" +
                                    std::to_string(buttons.size() - 1) + ")");
    std::string names;
    for (const Button& b : buttons) names += (names.empty() ? "" : " ") + b.name;
    throw std::invalid_argument("unknown step '" + text + "' (buttons: " + names + ")");
}

}  // namespace

std::vector<Step> parseSchedule(const std::string& text, const std::vector<Button>& buttons) {
    std::vector<Step> steps;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        std::string item = trim(text.substr(start, comma - start));
        if (!item.empty()) steps.push_back(parseStep(item, buttons));
        start = comma + 1;
    }
    return steps;
}

bool Schedule::waiting(const Button& b) const {
    for (const Step& s : steps_)
        if (s.kind == Step::Press && s.button == &b) return true;
    return false;
}

Schedule::Clock::time_point Schedule::advance(Clock::time_point now, Line& line) {
    using namespace std::chrono_literals;
    const auto never = Clock::time_point::max();
    for (;;) {
        if (steps_.empty()) {
            if (loopSteps_.empty()) return never;
            steps_.assign(loopSteps_.begin(), loopSteps_.end());
        }
        if (line.busy()) return never;  // a step starts once the line is quiet
        Step& s = steps_.front();
        if (!started_) {
            started_ = true;
            stepTime_ = now;
            pressesLeft_ = s.count;
        }
        switch (s.kind) {
            case Step::Press: {
                const auto due = line.lastPacketStart() + kRepeat;
                if (now < due) return due;
                line.press(*s.button, now);
                if (--pressesLeft_ > 0) return line.lastPacketStart() + kRepeat;
                break;
            }
            case Step::Wait:
                if (now < stepTime_ + s.wait) return stepTime_ + s.wait;
                break;
            case Step::Init:
                if (!line.initialised()) return never;
                break;
            case Step::Unplug:
                line.unplug();
                break;
            case Step::Plug:
                line.plug();
                break;
            case Step::Raw:
                line.sendRaw();
                break;
            case Step::All: {
                std::vector<Step> expanded;
                for (const Button& b : buttons_) {
                    expanded.push_back({Step::Press, &b, 1, {}});
                    expanded.push_back({Step::Wait, nullptr, 1, 500ms});
                }
                steps_.pop_front();
                steps_.insert(steps_.begin(), expanded.begin(), expanded.end());
                started_ = false;
                continue;
            }
            case Step::Quit:
                // Give the program time to read the last bytes before the line goes.
                if (now < stepTime_ + kLastRead) return stepTime_ + kLastRead;
                if (line.unread() > 0 && now < stepTime_ + kLastReadAtMost) return now + 20ms;
                steps_.pop_front();
                started_ = false;
                line.quit();
                return never;
        }
        steps_.pop_front();
        started_ = false;
    }
}

}  // namespace vostel::sim
