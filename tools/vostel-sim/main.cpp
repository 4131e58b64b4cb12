// vostel-sim: emulates the infrared receiver unit on a pseudo-terminal, so the
// desktop program can be run, shown and tested without the hardware.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "options.h"
#include "pty_line.h"
#include "remote.h"
#include "runtime/input_file.h"
#include "schedule.h"
#include "serial/port_names.h"
#include "serial/protocol.h"
#include "vostel_version.h"

namespace {

using namespace vostel::sim;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// One byte on the line at 9600 baud: a start bit, 8 data bits, a stop bit.
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 9600);

std::string hexBytes(const char* data, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        auto b = static_cast<unsigned char>(data[i]);
        if (i) s += ' ';
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

// Keeps the controlling terminal in cbreak mode (keys arrive one by one,
// unechoed) and restores it when destroyed.
class CbreakTerminal {
public:
    CbreakTerminal() {
        if (tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios t = saved_;
        t.c_lflag &= ~tcflag_t(ICANON | ECHO);
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        active_ = tcsetattr(STDIN_FILENO, TCSANOW, &t) == 0;
    }
    ~CbreakTerminal() {
        if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    }
    CbreakTerminal(const CbreakTerminal&) = delete;
    CbreakTerminal& operator=(const CbreakTerminal&) = delete;

private:
    termios saved_{};
    bool active_ = false;
};

class Emulator : private Schedule::Line {
public:
    Emulator(const Options& o, std::vector<Button> buttons, std::string raw,
             const std::vector<Step>& schedule)
        : opt_(o),
          buttons_(std::move(buttons)),
          raw_(std::move(raw)),
          rng_(o.seed ? *o.seed : static_cast<unsigned>(Clock::now().time_since_epoch().count())),
          schedule_(schedule, o.loop, buttons_) {}

    int run(int signalFd, bool interactive, bool stepsFromStdin);

private:
    // What the schedule's steps do.
    bool busy() const override { return !out_.empty(); }
    Clock::time_point lastPacketStart() const override { return lastPacketStart_; }
    void press(const Button& b, Clock::time_point now) override;
    bool initialised() const override { return initsSeen_ > 0; }
    void unplug() override;
    void plug() override {
        if (!line_.isOpen()) plugIn(true);
    }
    void sendRaw() override;
    std::size_t unread() const override { return line_.isOpen() ? line_.unread() : 0; }
    void quit() override { quit_ = true; }

    void plugIn(bool again);
    void queue(const std::string& bytes) {
        if (out_.empty()) nextByte_ = std::max(nextByte_, Clock::now());
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    void sendDueBytes(Clock::time_point now);
    void readProgram();
    bool readStdin(bool interactive);  // false at the end of input
    void onKey(char key);

    const Options& opt_;
    std::vector<Button> buttons_;
    std::string raw_;
    std::mt19937 rng_;
    PtyLine line_;
    PortLink link_;

    std::deque<char> out_;
    Clock::time_point nextByte_{};
    Clock::time_point lastPacketStart_{};  // when the last packet's start byte went out
    std::size_t bytesSent_ = 0, packetStartByte_ = 0;

    Schedule schedule_;
    int initsSeen_ = 0;     // initialisation commands since the line was plugged in
    std::string received_;  // the last few bytes, to spot the initialisation command
    Clock::time_point nextNoise_{};
    bool quit_ = false;
    bool holdNext_ = false;  // space was typed: the next key holds its button
    std::string stdinLine_;
};

void Emulator::plugIn(bool again) {
    line_.open();
    initsSeen_ = 0;
    received_.clear();
    if (again) {
        link_.retarget(line_.slavePath());
        std::printf("plugged in again: com%d -> %s\n", link_.port(), line_.slavePath().c_str());
    } else {
        link_.create(vostel::portsFolder(), opt_.port, line_.slavePath());
        if (link_.replacedStale())
            std::printf("vostel-sim: %s was left by an emulator that has ended; replaced it\n",
                        link_.path().c_str());
        std::printf("vostel-sim: type %d at the program's port prompt (%s -> %s)\n", link_.port(),
                    link_.path().c_str(), line_.slavePath().c_str());
    }
}

void Emulator::unplug() {
    if (!line_.isOpen()) return;
    line_.close();
    out_.clear();
    std::printf("unplugged: com%d has no device now\n", link_.port());
}

void Emulator::sendRaw() {
    if (line_.isOpen()) queue(raw_);
    std::printf("sent: %zu bytes of the raw file\n", raw_.size());
}

void Emulator::press(const Button& b, Clock::time_point now) {
    if (!line_.isOpen()) {
        lastPacketStart_ = now;  // unplugged: the press goes nowhere
        return;
    }
    std::string bytes = packetBytes(b.durations, opt_.jitter, rng_);
    std::string note;
    if (opt_.noise && std::uniform_int_distribution<int>(0, 3)(rng_) == 0) {
        // Interference: the packet is cut short (no end byte) or junk precedes it.
        if (std::uniform_int_distribution<int>(0, 1)(rng_) == 0) {
            auto keep = std::uniform_int_distribution<std::size_t>(2, bytes.size() - 2)(rng_);
            bytes.resize(keep);
            note = std::string(" (cut after ") + std::to_string(keep) + " bytes)";
        } else {
            const std::string junk = junkBytes(4, rng_);
            bytes = junk + bytes;
            note = " (after junk: " + hexBytes(junk.data(), junk.size()) + ")";
        }
    }
    packetStartByte_ = bytesSent_ + out_.size();
    lastPacketStart_ = Clock::now();
    queue(bytes);
    std::printf("sent: %s%s\n", b.name.c_str(), note.c_str());
}

void Emulator::sendDueBytes(Clock::time_point now) {
    if (!line_.isOpen()) return;
    // Bytes go out at their times on the clock, so pacing does not drift. After
    // a stall of the emulator itself (more than a few byte times), go on at the
    // line rate from now rather than sending the backlog in one burst.
    if (!out_.empty() && nextByte_ + 5ms < now) nextByte_ = now;
    while (!out_.empty() && nextByte_ <= now) {
        char b = out_.front();
        ssize_t n = ::write(line_.master(), &b, 1);
        if (n < 0 && errno == EINTR) continue;
        // A full buffer means nobody reads the port: the byte is lost, as on a real line.
        out_.pop_front();
        if (bytesSent_++ == packetStartByte_) lastPacketStart_ = now;  // repeats count from here
        nextByte_ += kByteTime;
    }
}

void Emulator::readProgram() {
    char buf[512];
    for (;;) {
        ssize_t n = ::read(line_.master(), buf, sizeof buf);
        if (n <= 0) return;
        std::printf("received: %s\n", hexBytes(buf, static_cast<std::size_t>(n)).c_str());
        received_.append(buf, static_cast<std::size_t>(n));
        std::size_t at;
        while ((at = received_.find(vostel::protocol::kInitCommand)) != std::string::npos) {
            ++initsSeen_;
            std::printf("received the initialisation command\n");
            received_.erase(0, at + vostel::protocol::kInitCommand.size());
        }
        if (received_.size() > 64) received_.erase(0, received_.size() - 16);
    }
}

void Emulator::onKey(char key) {
    // Space holds the button of the next key, whatever that key is.
    if (key == ' ') {
        holdNext_ = true;
        return;
    }
    const bool holdThis = std::exchange(holdNext_, false);
    if (key == 'q') {
        quit_ = true;
        return;
    }
    if (key == 'u' && line_.isOpen()) return schedule_.add({Step::Unplug, nullptr, 1, {}});
    if (key == 'r' && !line_.isOpen()) return schedule_.add({Step::Plug, nullptr, 1, {}});
    const bool capital = key >= 'A' && key <= 'Z';
    const bool hold = holdThis || capital;
    char lower = capital ? static_cast<char>(key - 'A' + 'a') : key;
    for (const Button& b : buttons_) {
        if (b.key != lower) continue;
        // A key held down repeats faster than the remote; while a press of the
        // same button waits, more repeats add nothing.
        if (!schedule_.waiting(b)) schedule_.add({Step::Press, &b, hold ? 9 : 1, {}});
        return;
    }
}

bool Emulator::readStdin(bool interactive) {
    char buf[256];
    ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) return false;
    if (interactive) {
        for (ssize_t i = 0; i < n; ++i) onKey(buf[i]);
        return true;
    }
    stdinLine_.append(buf, static_cast<std::size_t>(n));
    std::size_t nl;
    while ((nl = stdinLine_.find('\n')) != std::string::npos) {
        std::string lineText = stdinLine_.substr(0, nl);
        stdinLine_.erase(0, nl + 1);
        try {
            for (const Step& s : parseSchedule(lineText, buttons_)) schedule_.add(s);
        } catch (const std::invalid_argument& e) {
            std::fprintf(stderr, "vostel-sim: %s\n", e.what());
        }
    }
    return true;
}

int Emulator::run(int signalFd, bool interactive, bool stepsFromStdin) {
    plugIn(false);
    std::optional<CbreakTerminal> terminal;
    if (interactive) {
        terminal.emplace();
        std::string help = "keys:";
        for (const Button& b : buttons_)
            if (b.key) help += std::string(" ") + b.key + "=" + b.name;
        std::printf("%s; space then a key = hold; u unplug, r plug in again, q quit\n", help.c_str());
    }
    bool stdinOpen = interactive || stepsFromStdin;
    nextNoise_ = Clock::now() + 3s;
    while (!quit_) {
        auto now = Clock::now();
        sendDueBytes(now);
        auto wake = schedule_.advance(now, *this);
        sendDueBytes(now);
        if (opt_.noise && line_.isOpen() && out_.empty() && now >= nextNoise_) {
            // Junk between packets.
            const std::string junk = junkBytes(6, rng_);
            queue(junk);
            std::printf("sent: junk %s\n", hexBytes(junk.data(), junk.size()).c_str());
            nextNoise_ =
                now + std::chrono::milliseconds(std::uniform_int_distribution<int>(1500, 5000)(rng_));
        }
        if (!out_.empty() && line_.isOpen()) wake = std::min(wake, nextByte_);
        if (opt_.noise && line_.isOpen()) wake = std::min(wake, nextNoise_);
        if (quit_) break;

        pollfd fds[3] = {
            {signalFd, POLLIN, 0}, {line_.master(), POLLIN, 0}, {stdinOpen ? STDIN_FILENO : -1, POLLIN, 0}};
        timespec timeout{};
        timespec* tp = nullptr;
        if (wake != Clock::time_point::max()) {
            auto left = std::max(wake - Clock::now(), Clock::duration::zero());
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            tp = &timeout;
        }
        if (::ppoll(fds, 3, tp, nullptr) < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::string("poll failed: ") + std::strerror(errno));
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signalFd, &info, sizeof info) > 0)
                std::printf("vostel-sim: ending on signal %u\n", info.ssi_signo);
            break;
        }
        if (fds[1].revents & POLLIN) readProgram();
        // At the end of standard input the steps already read still run and the line stays up.
        if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) stdinOpen = readStdin(interactive);
    }
    line_.close();
    link_.remove();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options opt;
    std::vector<Button> buttons;
    std::vector<Step> schedule;
    std::string raw;
    try {
        opt = parseOptions(argc, argv);
        if (opt.help) {
            std::printf("%s%s", kUsage, kScheduleHelp);
            return 0;
        }
        if (opt.version) {
            std::printf("vostel-sim %s\n", VOSTEL_VERSION);
            return 0;
        }
        buttons = opt.library ? libraryButtons(*opt.library) : demoRemote();
        if (opt.list) {
            for (const Button& b : buttons) {
                std::printf("%s", b.name.c_str());
                for (int d : b.durations) std::printf(" %d", d);
                std::printf("\n");
            }
            return 0;
        }
        if (opt.raw) raw = vostel::readWholeFile(*opt.raw);
        if (opt.play && *opt.play != "-")
            schedule = parseSchedule(*opt.play, buttons);
        else if (!opt.play && opt.raw)
            schedule = parseSchedule("init,raw", buttons);
        else if (!opt.play && opt.library && !isatty(STDIN_FILENO))
            schedule = parseSchedule("init,all", buttons);
        for (const Step& s : schedule)
            if (s.kind == Step::Raw && !opt.raw) throw UsageError("the step 'raw' needs --raw FILE");
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vostel-sim: %s\n", e.what());
        return 2;
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "vostel-sim: --play: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vostel-sim: %s\n", e.what());
        return 1;
    }

    // Signals are read from a descriptor in the main loop, so ending on Ctrl+C
    // or SIGTERM runs the ordinary clean-up (link removed, terminal restored).
    sigset_t mask;
    sigemptyset(&mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&mask, s);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    signal(SIGPIPE, SIG_IGN);
    int signalFd = signalfd(-1, &mask, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::fprintf(stderr, "vostel-sim: cannot watch signals: %s\n", std::strerror(errno));
        return 1;
    }
    bool interactive = !opt.play && !opt.raw && isatty(STDIN_FILENO);
    bool fromStdin = opt.play && *opt.play == "-";
    if (!interactive && !fromStdin && schedule.empty())
        std::printf(
            "vostel-sim: no terminal and no schedule: nothing will be pressed. Give the steps with\n"
            "  --play STEPS (for example --play \"init,power,1s,vol+x5\"), or --play - to read them from\n"
            "  standard input; vostel-sim --help lists the steps.\n");
    try {
        Emulator emulator(opt, std::move(buttons), std::move(raw), schedule);
        return emulator.run(signalFd, interactive, fromStdin);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vostel-sim: %s\n", e.what());
        return 1;
    }
}
