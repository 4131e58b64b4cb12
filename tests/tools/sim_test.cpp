// vostel-sim run as a real process, its line opened through the port link the
// way the desktop program opens it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "library/library_file.h"
#include "serial/protocol.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/test_line.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

using vostel::testing::TempDir;

// vostel-sim with its ports folder under `config`; standard input is `terminal` when given.
class Sim : public vostel::testing::Child {
public:
    Sim(const fs::path& config, std::vector<std::string> args, int terminal = -1)
        : Child(withProgram(std::move(args)), options(config, terminal)) {}

private:
    static std::vector<std::string> withProgram(std::vector<std::string> args) {
        args.insert(args.begin(), VOSTEL_SIM);
        return args;
    }
    static Options options(const fs::path& config, int terminal) {
        Options o;
        o.env = {"XDG_CONFIG_HOME=" + config.string(), "HOME=" + config.string(), "PATH=/usr/bin:/bin"};
        o.stdinFd = terminal;
        return o;
    }
};

// The program's end of the line: the port link opened in raw mode.
class Port {
public:
    explicit Port(const fs::path& link) {
        fd_ = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return;
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        tcsetattr(fd_, TCSANOW, &t);
    }
    ~Port() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void write(const std::string& s) { ASSERT_EQ(::write(fd_, s.data(), s.size()), ssize_t(s.size())); }

    struct Chunk {
        Clock::time_point at;
        std::string bytes;
    };
    // Reads until `count` bytes have come, the line hangs up, or `timeout` passes.
    std::vector<Chunk> read(std::size_t count, std::chrono::milliseconds timeout = 3s) {
        std::vector<Chunk> chunks;
        std::size_t got = 0;
        auto end = Clock::now() + timeout;
        hungUp_ = false;
        while (got < count && Clock::now() < end) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            char buf[1024];
            ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - got));
            if (n > 0) {
                chunks.push_back({Clock::now(), std::string(buf, static_cast<std::size_t>(n))});
                got += static_cast<std::size_t>(n);
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                hungUp_ = true;
                break;
            }
        }
        return chunks;
    }
    bool hungUp() const { return hungUp_; }

private:
    int fd_ = -1;
    bool hungUp_ = false;
};

std::string joined(const std::vector<Port::Chunk>& chunks) {
    std::string s;
    for (const auto& c : chunks) s += c.bytes;
    return s;
}

// The durations of a button as --list prints them.
std::vector<int> listedDurations(const fs::path& config, const std::string& button,
                                 std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), "--list");
    Sim sim(config, extra);
    std::string line = sim.waitForLine(button + " ");
    std::istringstream in(line.substr(button.size()));
    std::vector<int> d;
    for (int v; in >> v;) d.push_back(v);
    return d;
}

class SimTest : public ::testing::Test {
protected:
    TempDir dir;
    fs::path ports() const { return dir.path() / "vostel" / "ports"; }
};

TEST_F(SimTest, LinksItsLineAsAPortPrintsWhatTheProgramSendsAndSendsPackets) {
    Sim sim(dir.path(), {"--port", "3", "--play", "init,power"});
    std::string first = sim.waitForLine("port prompt");
    EXPECT_NE(first.find("type 3 "), std::string::npos) << first;
    fs::path link = ports() / "com3";
    ASSERT_TRUE(fs::is_symlink(link));
    std::string device = fs::read_symlink(link).string();
    EXPECT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
    EXPECT_NE(first.find(device), std::string::npos) << first;

    Port port(link);
    ASSERT_TRUE(port.ok());
    EXPECT_TRUE(port.read(1, 300ms).empty()) << "nothing is sent before the initialisation command";
    port.write(std::string(vostel::protocol::kInitCommand));
    EXPECT_EQ(sim.waitForLine("received:"), "received: 41 54 56 31 51 30 0d");

    std::vector<int> power = listedDurations(dir.path(), "power");
    ASSERT_GE(power.size(), 30u);
    ASSERT_LE(power.size(), 100u);
    std::string packet = joined(port.read(power.size() + 2));
    ASSERT_EQ(packet.size(), power.size() + 2);
    EXPECT_EQ(static_cast<unsigned char>(packet.front()), 0xFE);
    EXPECT_EQ(static_cast<unsigned char>(packet.back()), 0xFF);
    for (std::size_t i = 0; i < power.size(); ++i) {
        int v = static_cast<unsigned char>(packet[i + 1]);
        EXPECT_LE(std::abs(v - power[i]), 2) << "duration " << i;  // the default jitter
        EXPECT_LT(v, 0xFE);
    }
}

TEST_F(SimTest, DemoButtonsAreRealisticAndNeverMistakenForEachOther) {
    Sim sim(dir.path(), {"--list"});
    std::vector<std::pair<std::string, std::vector<int>>> buttons;
    for (std::string line; !(line = sim.waitForLine(" ", 2s)).empty();) {
        std::istringstream in(line);
        std::string name;
        in >> name;
        std::vector<int> d;
        for (int v; in >> v;) d.push_back(v);
        buttons.emplace_back(name, d);
    }
    ASSERT_GE(buttons.size(), 6u);
    for (const auto& [name, d] : buttons) {
        EXPECT_GE(d.size(), 30u) << name;
        EXPECT_LE(d.size(), 100u) << name;
        for (int v : d) EXPECT_TRUE(v >= 3 && v <= 251) << name << ": " << v << " leaves no room for jitter";
    }
    // The receiving program matches within 20 units per duration. Two buttons
    // must differ somewhere by more than that plus twice the default jitter.
    for (std::size_t i = 0; i < buttons.size(); ++i)
        for (std::size_t j = i + 1; j < buttons.size(); ++j) {
            const auto& a = buttons[i].second;
            const auto& b = buttons[j].second;
            if (a.size() != b.size()) continue;
            int widest = 0;
            for (std::size_t k = 0; k < a.size(); ++k) widest = std::max(widest, std::abs(a[k] - b[k]));
            EXPECT_GT(widest, 20 + 2 * 2) << buttons[i].first << " and " << buttons[j].first;
        }
}

// How long this thread has been ready to run but kept waiting for a processor.
std::chrono::nanoseconds waitedForProcessor() {
    std::ifstream in("/proc/thread-self/schedstat");
    long long running = 0, waiting = 0;
    in >> running >> waiting;
    return std::chrono::nanoseconds(waiting);
}

// Arrival times tell the sending pace only while the reader itself runs at
// once: a round in which it was kept waiting for the processor proves nothing
// about the pace and is run again.
TEST_F(SimTest, SendsAtTheLineRateAndRepeatsAHeldButtonEvery110Ms) {
    std::vector<int> volUp = listedDurations(dir.path(), "vol+");
    for (int round = 0; round < 5; ++round) {
        Sim sim(dir.path(), {"--play", "init,vol+x3", "--jitter", "0"});
        ASSERT_FALSE(sim.waitForLine("port prompt").empty());
        Port port(ports() / "com1");
        ASSERT_TRUE(port.ok());
        port.write(std::string(vostel::protocol::kInitCommand));
        std::size_t size = volUp.size() + 2;
        const auto waitedBefore = waitedForProcessor();
        auto chunks = port.read(3 * size);
        const bool readerHeldUp = waitedForProcessor() - waitedBefore > 5ms;
        std::string all = joined(chunks);
        ASSERT_EQ(all.size(), 3 * size);
        std::string expected(1, char(0xFE));
        for (int d : volUp) expected += char(d);
        expected += char(0xFF);
        EXPECT_EQ(all, expected + expected + expected) << "--jitter 0 sends the listed durations";

        // When each packet's first and last byte arrived.
        std::vector<Clock::time_point> starts, ends;
        std::size_t offset = 0;
        for (const auto& c : chunks) {
            for (std::size_t i = 0; i < c.bytes.size(); ++i) {
                if ((offset + i) % size == 0) starts.push_back(c.at);
                if ((offset + i) % size == size - 1) ends.push_back(c.at);
            }
            offset += c.bytes.size();
        }
        ASSERT_EQ(starts.size(), 3u);
        // 9600 baud, 10 bits a byte: a packet takes (size - 1) byte times from
        // its first byte to its last. The emulator may send a few bytes at once
        // to catch up after it was held up itself, hence the margins; bytes
        // sent in one block would arrive within a millisecond.
        auto byteTime = std::chrono::microseconds(1042);
        bool paced = true;
        for (int i = 0; i < 3; ++i) paced = paced && ends[i] - starts[i] >= byteTime * (size - 1) * 3 / 4;
        // Held: a packet every 110 ms, so a pause follows each one.
        paced = paced && ends[2] - starts[0] >= (220ms + byteTime * (size - 1)) * 8 / 10;
        paced = paced && (starts[2] - starts[0]) / 2 >= 95ms;
        paced = paced && chunks.size() > 6u;
        if (paced || readerHeldUp) {
            if (paced) return;
            continue;
        }
        for (int i = 0; i < 3; ++i)
            EXPECT_GE(ends[i] - starts[i], byteTime * (size - 1) * 3 / 4) << "packet " << i;
        EXPECT_GE(ends[2] - starts[0], (220ms + byteTime * (size - 1)) * 8 / 10);
        EXPECT_GE((starts[2] - starts[0]) / 2, 95ms) << "back to back they would be 70 ms apart";
        EXPECT_GT(chunks.size(), 6u) << "bytes trickle in rather than arriving in one block";
        return;
    }
    GTEST_SKIP() << "the reader was kept waiting for the processor in all five rounds";
}

TEST_F(SimTest, ALoopedScheduleWaitsForTheProgramOnlyOnce) {
    std::size_t size = listedDurations(dir.path(), "mute").size() + 2;
    Sim sim(dir.path(), {"--play", "init, mute, 100ms", "--loop"});
    ASSERT_FALSE(sim.waitForLine("port prompt").empty());
    Port port(ports() / "com1");
    EXPECT_TRUE(port.read(1, 300ms).empty());
    port.write(std::string(vostel::protocol::kInitCommand));
    EXPECT_EQ(joined(port.read(3 * size)).size(), 3 * size);
}

TEST_F(SimTest, RemovesItsLinkOnSigtermAndOnCtrlC) {
    for (int sig : {SIGTERM, SIGINT}) {
        Sim sim(dir.path(), {"--port", "2", "--play", "init"});
        ASSERT_FALSE(sim.waitForLine("port prompt").empty());
        ASSERT_TRUE(fs::is_symlink(ports() / "com2"));
        sim.signal(sig);
        EXPECT_EQ(sim.wait(), 0) << "signal " << sig;
        EXPECT_FALSE(fs::is_symlink(ports() / "com2")) << "signal " << sig;
    }
}

TEST_F(SimTest, TakesTheLowestFreePortAndReusesOnlyLinksLeftByADeadEmulator) {
    fs::create_directories(ports());
    fs::create_symlink("/dev/null", ports() / "com1");       // someone else's port
    fs::create_symlink("/dev/pts/99999", ports() / "com2");  // left by a killed emulator
    fs::create_symlink("/dev/ttyUSB7", ports() / "com4");    // a receiver that is unplugged
    {
        Sim sim(dir.path(), {"--play", "init"});
        EXPECT_NE(sim.waitForLine("port prompt").find("type 2 "), std::string::npos);
        EXPECT_NE(fs::read_symlink(ports() / "com2").string(), "/dev/pts/99999");
        Sim second(dir.path(), {"--play", "init"});
        EXPECT_NE(second.waitForLine("port prompt").find("type 3 "), std::string::npos);
    }
    EXPECT_EQ(fs::read_symlink(ports() / "com1"), "/dev/null");
    EXPECT_EQ(fs::read_symlink(ports() / "com4"), "/dev/ttyUSB7");

    Sim taken(dir.path(), {"--port", "4"});
    EXPECT_NE(taken.waitForLine("already exists").find("com4 already exists"), std::string::npos);
    EXPECT_EQ(taken.wait(), 1);
    EXPECT_EQ(fs::read_symlink(ports() / "com4"), "/dev/ttyUSB7");
}

// An emulator killed outright leaves its link; once the system has given its
// pseudo-terminal's number to another program, the link leads to a live
// device, yet it is still known as stale: no emulator holds its lock.
TEST_F(SimTest, LinkOfAKilledEmulatorIsReplacedAlthoughItsNumberLivesOn) {
    std::string lost;
    {
        Sim killed(dir.path(), {"--port", "5", "--play", "init"});
        ASSERT_NE(killed.waitForLine("port prompt"), "");
        lost = fs::read_symlink(ports() / "com5").string();
        killed.signal(SIGKILL);
        ASSERT_EQ(killed.wait(), 128 + SIGKILL);
    }
    // New pseudo-terminals until one gets the lost number (normally the first).
    std::vector<int> held;
    std::string taken;
    while (held.size() < 16 && taken != lost) {
        const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) break;
        held.push_back(fd);
        taken = ::ptsname(fd);
    }
    if (taken == lost) {
        ASSERT_TRUE(fs::exists(ports() / "com5"));
        Sim next(dir.path(), {"--port", "5", "--play", "init"});
        EXPECT_NE(next.waitForLine("left by an emulator that has ended"), "") << next.output();
        EXPECT_NE(next.waitForLine("port prompt").find("type 5 "), std::string::npos) << next.output();
        EXPECT_NE(fs::read_symlink(ports() / "com5").string(), lost);
        // A running emulator's port stays taken.
        Sim second(dir.path(), {"--port", "5", "--play", "init"});
        EXPECT_NE(second.waitForLine("running").find("com5"), std::string::npos) << second.output();
        EXPECT_EQ(second.wait(), 1);
    }
    for (int fd : held) ::close(fd);
    if (taken != lost) GTEST_SKIP() << "the lost pseudo-terminal's number went to another program";
}

// quit closes the line only once the program, which reads every 100 ms, has
// read the last packet (waiting 1 s at most): here it reads two and a half
// ticks after the press. A read that ended more than 1 s after the
// initialisation command (so after the press) proves nothing either way; on a
// machine that slow the round is run again.
TEST_F(SimTest, QuitLetsTheProgramReadTheLastPacket) {
    const std::size_t size = listedDurations(dir.path(), "power").size() + 2;
    for (int round = 0; round < 5; ++round) {
        Sim sim(dir.path(), {"--play", "init,power,quit", "--jitter", "0"});
        ASSERT_NE(sim.waitForLine("port prompt"), "");
        Port port(ports() / "com1");
        ASSERT_TRUE(port.ok());
        port.write(std::string(vostel::protocol::kInitCommand));
        const auto initSent = Clock::now();
        ASSERT_EQ(sim.waitForLine("sent:"), "sent: power");
        std::this_thread::sleep_for(250ms);
        const std::size_t got = joined(port.read(size)).size();
        const bool withinLimit = Clock::now() - initSent < 1s;
        EXPECT_EQ(sim.wait(), 0);
        if (got == size) return;
        ASSERT_FALSE(withinLimit) << "the line closed before the program read the last packet: " << got
                                  << " of " << size << " bytes";
    }
    GTEST_SKIP() << "the machine was too slow to read within 1 s of the press five times";
}

// Without a terminal there are no keys to press buttons with: without a
// schedule either, it says so instead of waiting silently.
TEST_F(SimTest, WithoutTerminalOrScheduleItSaysNothingWillBePressed) {
    Sim sim(dir.path(), {});
    EXPECT_NE(sim.waitForLine("nothing will be pressed"), "") << sim.output();
    EXPECT_NE(sim.waitForLine("--play").find("--play STEPS"), std::string::npos) << sim.output();
}

TEST_F(SimTest, BadOptionsAndAnUnusablePortsFolderEndWithOneClearLine) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
        int status;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'", 2},
        {{"--port"}, "--port needs a value", 2},
        {{"--port", "0"}, "--port needs a number from 1 to 32767, not '0'", 2},
        {{"--port", "3x"}, "not '3x'", 2},
        {{"--jitter", "51"}, "--jitter needs a number from 0 to 50", 2},
        {{"--play", "power,teleport"}, "unknown step 'teleport'", 2},
        {{"--play", "powerx"}, "unknown step 'powerx'", 2},
        {{"--play", "#99"}, "there is no button 99", 2},
        {{"--play", "raw"}, "the step 'raw' needs --raw FILE", 2},
        {{"--raw", "/nonexistent/capture.bin"}, "File not found: /nonexistent/capture.bin", 1},
        {{"--library", "/nonexistent/dir/irdata.txt", "--list"}, "File not found: /nonexistent/dir/", 1},
        {{"--raw", "/"}, "/ is a folder, not a file", 1},
    };
    for (const Case& c : cases) {
        Sim sim(dir.path(), c.args);
        EXPECT_EQ(sim.wait(), c.status) << c.args[0];
        std::string out = sim.output();
        EXPECT_NE(out.find(c.message), std::string::npos) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    }
    Sim help(dir.path(), {"--help"});
    EXPECT_EQ(help.wait(), 0);
    std::string usage = help.output();
    EXPECT_EQ(usage.rfind("usage: vostel-sim", 0), 0u) << usage;
    EXPECT_NE(usage.find("NAMExK"), std::string::npos) << usage;

    std::ofstream(dir.path() / "file") << "not a folder";
    Sim sim(dir.path() / "file", {"--play", "init"});
    EXPECT_EQ(sim.wait(), 1);
    std::string out = sim.output();
    EXPECT_NE(out.find("cannot use the ports folder " + (dir.path() / "file" / "vostel" / "ports").string()),
              std::string::npos)
        << out;
}

TEST_F(SimTest, ReplaysARawCaptureAfterTheInitialisationCommand) {
    std::string capture = "\x12\xFE\x10\x20\x30\xFF\xFE\x05";
    std::ofstream(dir.path() / "capture.bin", std::ios::binary) << capture;
    Sim sim(dir.path(), {"--raw", (dir.path() / "capture.bin").string()});
    ASSERT_FALSE(sim.waitForLine("port prompt").empty());
    Port port(ports() / "com1");
    port.write(std::string(vostel::protocol::kInitCommand));
    EXPECT_EQ(joined(port.read(capture.size())), capture);
}

TEST_F(SimTest, TakesStepsFromStandardInputAndUnplugsAndPlugsTheLine) {
    Sim sim(dir.path(), {"--play", "-", "--jitter", "0"});
    ASSERT_FALSE(sim.waitForLine("port prompt").empty());
    std::string firstDevice = fs::read_symlink(ports() / "com1");
    std::size_t size = listedDurations(dir.path(), "mute").size() + 2;
    {
        Port port(ports() / "com1");
        sim.send("mute\n");
        EXPECT_EQ(joined(port.read(size)).size(), size);
        sim.send("unplug\n");
        ASSERT_FALSE(sim.waitForLine("unplugged").empty());
        port.read(1, 1s);
        EXPECT_TRUE(port.hungUp()) << "the program's end sees the line go";
        EXPECT_TRUE(fs::is_symlink(ports() / "com1")) << "the link stays, like one to an unplugged adapter";
        EXPECT_FALSE(fs::exists(ports() / "com1"));
    }
    sim.send("plug, init, 1\n");
    ASSERT_FALSE(sim.waitForLine("plugged in again").empty());
    Port port(ports() / "com1");
    ASSERT_TRUE(port.ok());
    port.write(std::string(vostel::protocol::kInitCommand));
    EXPECT_EQ(joined(port.read(size)).size(), size);
    sim.send("quit\n");
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_FALSE(fs::is_symlink(ports() / "com1"));
    (void)firstDevice;
}

TEST_F(SimTest, InteractiveKeysPressButtonsAndTheTerminalIsRestored) {
    vostel::testing::TestLine keyboard({}, false);
    int terminal = ::open(keyboard.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(terminal, 0);
    termios before{};
    tcgetattr(terminal, &before);
    ASSERT_TRUE(before.c_lflag & ICANON);
    {
        Sim sim(dir.path(), {"--jitter", "0"}, terminal);
        ASSERT_FALSE(sim.waitForLine("port prompt").empty());
        const std::string keys = sim.waitForLine("keys:");
        EXPECT_NE(keys.find("p=power"), std::string::npos) << keys;
        EXPECT_NE(keys.find("space then a key = hold"), std::string::npos) << keys;
        termios during{};
        tcgetattr(terminal, &during);
        EXPECT_FALSE(during.c_lflag & (ICANON | ECHO)) << "keys are taken one by one, unechoed";
        Port port(ports() / "com1");
        std::size_t size = listedDurations(dir.path(), "mute").size() + 2;
        keyboard.send("m");
        EXPECT_EQ(sim.waitForLine("sent:"), "sent: mute");
        EXPECT_EQ(joined(port.read(size)).size(), size);
        // Space, then a key without a capital: the button is held (nine packets).
        keyboard.send(" +");
        for (int i = 0; i < 9; ++i) ASSERT_EQ(sim.waitForLine("sent:"), "sent: vol+") << i;
        keyboard.send("q");
        EXPECT_EQ(sim.wait(), 0);
    }
    termios after{};
    tcgetattr(terminal, &after);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_FALSE(fs::is_symlink(ports() / "com1"));
    ::close(terminal);
}

TEST_F(SimTest, NoiseSendsJunkAndCutPacketsBetweenGoodOnes) {
    Sim sim(dir.path(), {"--noise", "--seed", "7", "--play", "init,powerx40"});
    ASSERT_FALSE(sim.waitForLine("port prompt").empty());
    Port port(ports() / "com1");
    port.write(std::string(vostel::protocol::kInitCommand));
    std::string stream = joined(port.read(100000, 6s));
    int starts = 0, ends = 0, whole = 0;
    std::size_t lastStart = std::string::npos;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        auto b = static_cast<unsigned char>(stream[i]);
        if (b == 0xFE) ++starts, lastStart = i;
        if (b == 0xFF) {
            ++ends;
            if (lastStart != std::string::npos && i - lastStart == 68) ++whole;
        }
    }
    std::string out = sim.output();
    EXPECT_NE(out.find("(cut after"), std::string::npos) << out;
    EXPECT_NE(out.find("(after junk"), std::string::npos) << out;
    EXPECT_GT(whole, 20) << "most packets still come through whole";
    EXPECT_GT(starts, ends - 10) << "cut packets leave start bytes without end bytes";
}

TEST_F(SimTest, SendsTheRecordsOfALibraryFile) {
    vostel::SignalLibrary lib{{vostel::Packet{10, 200, 35}, "on"},
                              {std::nullopt, ""},
                              {vostel::Packet{40, 41, 42, 43}, "sendkeys:abc"}};
    vostel::writeLibraryFile(dir.path() / "irdata.txt", lib);
    Sim sim(dir.path(), {"--library", (dir.path() / "irdata.txt").string(), "--jitter", "0"});
    ASSERT_FALSE(sim.waitForLine("port prompt").empty());
    Port port(ports() / "com1");
    port.write(std::string(vostel::protocol::kInitCommand));
    EXPECT_EQ(joined(port.read(11)), std::string("\xFE\x0A\xC8\x23\xFF\xFE\x28\x29\x2A\x2B\xFF"));
    std::string out = sim.output();
    EXPECT_NE(out.find("record 1 (\"\") has no packet"), std::string::npos) << out;
    EXPECT_NE(out.find("sent: on"), std::string::npos) << out;
    EXPECT_NE(out.find("sent: sendkeys:abc"), std::string::npos) << out;
}

}  // namespace
