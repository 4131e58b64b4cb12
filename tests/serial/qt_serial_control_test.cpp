// The real serial control against pseudo-terminals: the test holds the
// master side, the control opens the slave through a comN link in a
// temporary ports folder.
#include "serial/qt_serial_control.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "serial/comport.h"
#include "serial/port_report.h"

namespace vostel {
namespace {

namespace fs = std::filesystem;

const std::string kInitCommand = "\x41\x54\x56\x31\x51\x30\x0D";

class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) throw std::runtime_error("no pty");
        slave_ = ::ptsname(master_);
        const int fd = ::open(slave_.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0) throw std::runtime_error("cannot open " + slave_);
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
        ::close(fd);
    }
    ~Pty() { hangUp(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slave() const { return slave_; }
    void hangUp() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    // Writes everything, letting the event loop run while the line is full.
    void send(std::string_view bytes) {
        QElapsedTimer clock;
        clock.start();
        while (!bytes.empty() && clock.elapsed() < 10000) {
            const ssize_t n = ::write(master_, bytes.data(), bytes.size());
            if (n > 0) bytes.remove_prefix(static_cast<std::size_t>(n));
            else QTest::qWait(5);
        }
        ASSERT_TRUE(bytes.empty()) << "the line did not take the bytes";
    }
    // What the unit received within `ms`, stopping early at `count` bytes.
    std::string receive(std::size_t count, int ms) {
        std::string got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < count && clock.elapsed() < ms) {
            char buf[256];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<std::size_t>(n));
            else QTest::qWait(10);
        }
        return got;
    }

private:
    int master_ = -1;
    std::string slave_;
};

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class QtSerialControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vostel-serial-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        home_ = pattern;
        ::chmod(home_.c_str(), 0755);  // the unprivileged child of the permission test looks in here
        ::setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
        fs::create_directories(ports());
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        fs::remove_all(home_, ec);
    }
    fs::path ports() const { return home_ / "vostel" / "ports"; }
    // Points comN at `target`, replacing an older link in one step.
    void link(int number, const fs::path& target) {
        const fs::path name = ports() / ("com" + std::to_string(number));
        const fs::path fresh = ports() / ("new-com" + std::to_string(number));
        fs::create_symlink(target, fresh);
        fs::rename(fresh, name);
    }
    static void openPort(QtSerialControl& control, int16_t number) {
        control.setCommPort(number);
        control.setSettings("9600,N,8,1");
        control.setInputLen(0);
        control.setPortOpen(true);
        control.output(kInitCommand);
    }
    // Reads until `count` bytes came or `ms` passed.
    static std::string collect(QtSerialControl& control, std::size_t count, int ms = 3000) {
        std::string got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < count && clock.elapsed() < ms) {
            QTest::qWait(10);
            got += control.input();
        }
        return got;
    }
    static RuntimeError openError(QtSerialControl& control) {
        try {
            control.setPortOpen(true);
        } catch (const RuntimeError& e) {
            return e;
        }
        ADD_FAILURE() << "the port opened";
        return RuntimeError(0);
    }

    fs::path home_;
};

TEST_F(QtSerialControlTest, UnitReceivesExactlyTheInitialisationCommand) {
    Pty unit;
    link(3, unit.slave());
    QtSerialControl control;
    openPort(control, 3);
    EXPECT_TRUE(control.portOpen());
    EXPECT_EQ(unit.receive(100, 500), kInitCommand);
}

TEST_F(QtSerialControlTest, ReadsReturnEveryByteOnceAndNeverWait) {
    Pty unit;
    link(2, unit.slave());
    QtSerialControl control;
    openPort(control, 2);
    QTest::qWait(100);
    EXPECT_EQ(control.input(), "") << "nothing was sent";

    unit.send("\xFE\x10\xFF");
    const std::string packet = collect(control, 3);
    ASSERT_EQ(packet.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(packet[0]), 254);
    EXPECT_EQ(static_cast<unsigned char>(packet[1]), 16);
    EXPECT_EQ(static_cast<unsigned char>(packet[2]), 255);
    QTest::qWait(50);
    EXPECT_EQ(control.input(), "") << "a byte came back twice";

    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<char>(i);
    unit.send(all);
    EXPECT_EQ(collect(control, 256), all) << "every byte value passes unchanged, in order";

    control.setInputLen(2);
    unit.send("abc");
    QTest::qWait(100);
    EXPECT_EQ(control.input(), "ab");
    EXPECT_EQ(control.input(), "c");
    EXPECT_EQ(control.input(), "");
}

TEST_F(QtSerialControlTest, InputBufferKeepsTheOldest1024BytesAndDropsTheRest) {
    Pty unit;
    link(7, unit.slave());
    QtSerialControl control;
    openPort(control, 7);
    std::string sent(5000, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i % 251);
    unit.send(sent);
    const std::size_t overflow = sent.size() - QtSerialControl::kInputBufferSize;
    EXPECT_TRUE(QTest::qWaitFor([&] { return control.droppedBytes() >= overflow; }, 5000));

    const std::string first = control.input();
    EXPECT_EQ(first, sent.substr(0, QtSerialControl::kInputBufferSize));
    EXPECT_EQ(control.droppedBytes(), overflow);
    EXPECT_EQ(control.input(), "");

    unit.send("\xFE\x05\x06\x07\xFF");
    EXPECT_EQ(collect(control, 5), "\xFE\x05\x06\x07\xFF") << "the buffer takes bytes again once read";
}

TEST_F(QtSerialControlTest, MissingDeviceNamesTheDeviceAndThePortsFolder) {
    link(5, "/dev/pts/999999");
    QtSerialControl dangling;
    dangling.setCommPort(5);
    const RuntimeError viaLink = openError(dangling);
    EXPECT_EQ(viaLink.number(), kErrInvalidPort);
    EXPECT_NE(viaLink.text().find((ports() / "com5").string()), std::string::npos) << viaLink.text();
    EXPECT_NE(viaLink.text().find("/dev/pts/999999"), std::string::npos) << viaLink.text();
    EXPECT_NE(viaLink.text().find("does not exist"), std::string::npos) << viaLink.text();
    EXPECT_NE(viaLink.text().find("No such file or directory"), std::string::npos) << viaLink.text();
    EXPECT_FALSE(dangling.portOpen());

    ASSERT_FALSE(fs::exists("/dev/ttyS199"));
    QtSerialControl plain;
    plain.setCommPort(200);
    const RuntimeError direct = openError(plain);
    EXPECT_EQ(direct.number(), kErrInvalidPort);
    EXPECT_NE(direct.text().find("/dev/ttyS199"), std::string::npos) << direct.text();
    EXPECT_NE(direct.text().find("does not exist"), std::string::npos) << direct.text();
    EXPECT_NE(direct.text().find(ports().string()), std::string::npos) << direct.text();
    // Then what could be made port 200, in the words of vostel-tool ports.
    const std::string advice = missingPortAdvice(200, listSerialDevices());
    EXPECT_EQ(direct.text().substr(direct.text().size() - advice.size()), advice) << direct.text();
    EXPECT_THROW(plain.input(), RuntimeError) << "reading a closed port";
}

TEST_F(QtSerialControlTest, DeviceThatIsNotASerialPortIsRefused) {
    const fs::path file = home_ / "not-a-tty";
    std::fclose(std::fopen(file.c_str(), "w"));
    link(8, file);
    QtSerialControl control;
    control.setCommPort(8);
    const RuntimeError error = openError(control);
    EXPECT_NE(error.text().find(file.string()), std::string::npos) << error.text();
    EXPECT_FALSE(control.portOpen());
}

TEST_F(QtSerialControlTest, DeniedDeviceAsksToJoinTheDialoutGroup) {
    Pty unit;
    link(4, unit.slave());
    ASSERT_EQ(::chmod(unit.slave().c_str(), 0), 0);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    // Root opens everything, so the attempt runs in a child without privileges.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        std::string report = "opened";
        try {
            QtSerialControl control;
            control.setCommPort(4);
            control.setPortOpen(true);
        } catch (const RuntimeError& e) {
            report = std::to_string(e.number()) + " " + e.text();
        }
        if (::write(pipeFds[1], report.data(), report.size()) < 0) ::_exit(4);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_EQ(report.rfind("70 Permission denied", 0), 0u) << report;
    EXPECT_NE(report.find(unit.slave()), std::string::npos) << report;
    EXPECT_NE(report.find("dialout"), std::string::npos) << report;
}

TEST_F(QtSerialControlTest, SettingsAndPortNumberAreChecked) {
    QtSerialControl control;
    for (const std::string bad : {"9600,N,8", "9600,X,8,1", "fast,N,8,1", "9600,N,9,1", "9600,N,8,3", "0,N,8,1"}) {
        SCOPED_TRACE(bad);
        try {
            control.setSettings(bad);
            ADD_FAILURE() << "accepted";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), kErrCommState);
        }
    }
    EXPECT_NO_THROW(control.setSettings("19200,e,7,1.5"));
    try {
        control.setCommPort(0);
        ADD_FAILURE() << "port 0 accepted";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), kErrInvalidPort);
    }
}

TEST_F(QtSerialControlTest, LostPortIsReportedOnceThenReopenedBehindTheSameLink) {
    auto unit = std::make_unique<Pty>();
    link(6, unit->slave());
    QtSerialControl control;
    openPort(control, 6);
    ASSERT_EQ(unit->receive(7, 2000), kInitCommand);
    unit->send("\xFE\x01\x02\x03\xFF");
    EXPECT_EQ(collect(control, 5), "\xFE\x01\x02\x03\xFF");

    unit->hangUp();
    // Read once per 100 ms tick for 2.5 s, as the receive cycle would.
    const double cpuBefore = cpuSeconds();
    int errors = 0;
    std::string errorText;
    for (int tick = 0; tick < 25; ++tick) {
        QTest::qWait(100);
        try {
            EXPECT_EQ(control.input(), "");
        } catch (const RuntimeError& e) {
            ++errors;
            EXPECT_EQ(e.number(), kErrReadingComm);
            errorText = e.text();
        }
    }
    const double cpuUsed = cpuSeconds() - cpuBefore;
    EXPECT_EQ(errors, 1);
    EXPECT_NE(errorText.find((ports() / "com6").string()), std::string::npos) << errorText;
    EXPECT_NE(errorText.find("lost"), std::string::npos) << errorText;
    EXPECT_TRUE(control.portOpen());
    // A spinning event loop burns the whole 2.5 s; an idle one almost none.
    EXPECT_LT(cpuUsed, 0.5) << "CPU seconds used while the port was gone";

    unit = std::make_unique<Pty>();
    link(6, unit->slave());
    EXPECT_EQ(unit->receive(7, 5000), kInitCommand) << "the control did not come back";
    unit->send("\xFE\x44\x55\xFF");
    EXPECT_EQ(collect(control, 4), "\xFE\x44\x55\xFF");
    EXPECT_EQ(control.input(), "");
}

// An emulator that dies without removing its link leaves comN pointing at a
// pseudo-terminal number the system soon gives to another program (a terminal
// window, say). That is never the lost unit coming back: the control must not
// open it. A link made anew is followed as usual.
TEST_F(QtSerialControlTest, LostPseudoTerminalIsNotReopenedUnderAnotherProgram) {
    auto unit = std::make_unique<Pty>();
    const std::string lostPath = unit->slave();
    link(7, lostPath);
    QtSerialControl control;
    openPort(control, 7);
    ASSERT_EQ(unit->receive(7, 2000), kInitCommand);
    unit->hangUp();
    unit.reset();
    // The number is free once the control has closed the lost terminal, which
    // it does when it sees the loss.
    bool lost = false;
    for (int wait = 0; wait < 200 && !lost; ++wait) {
        QTest::qWait(10);
        try {
            control.input();
        } catch (const RuntimeError&) {
            lost = true;
        }
    }
    ASSERT_TRUE(lost);

    Pty stranger;  // the system gives out the lowest free number: the lost one, unless taken meanwhile
    if (stranger.slave() != lostPath) GTEST_SKIP() << "the new pseudo-terminal got another number";
    EXPECT_EQ(stranger.receive(7, 2500), "") << "the control opened another program's pseudo-terminal";
    EXPECT_EQ(control.input(), "");

    link(7, stranger.slave());  // a restarted emulator links its terminal anew
    EXPECT_EQ(stranger.receive(7, 5000), kInitCommand) << "the control did not follow the new link";
}

// comN may lead to the pseudo-terminal through a further link that a program
// (a serial-over-network bridge, say) makes anew when it restarts: that is
// followed, also when the new terminal got the lost one's number.
TEST_F(QtSerialControlTest, LinkMadeAnewFurtherAlongTheChainIsFollowed) {
    const fs::path bridge = home_ / "ttyBridge";
    auto unit = std::make_unique<Pty>();
    fs::create_symlink(unit->slave(), bridge);
    link(8, bridge);
    QtSerialControl control;
    openPort(control, 8);
    ASSERT_EQ(unit->receive(7, 2000), kInitCommand);
    unit->hangUp();
    unit.reset();
    QTest::qWait(300);
    EXPECT_THROW(control.input(), RuntimeError);

    Pty restarted;
    const fs::path fresh = home_ / "ttyBridge.new";
    fs::create_symlink(restarted.slave(), fresh);
    fs::rename(fresh, bridge);  // comN itself stays as it was
    EXPECT_EQ(restarted.receive(7, 5000), kInitCommand) << "the control did not follow the renewed link";
}

TEST_F(QtSerialControlTest, ComPortOpensTheTypedPortOverTheRealControl) {
    class Typing : public Prompts {
    public:
        std::string inputBox(std::string_view, std::string_view) override { return " 9"; }
        void msgBox(std::string_view, int, std::string_view) override { ADD_FAILURE() << "warning shown"; }
    } prompts;
    Pty unit;
    link(9, unit.slave());
    QtSerialControl control;
    ComPort comPort(control, prompts);
    ASSERT_TRUE(comPort.Init());
    EXPECT_EQ(unit.receive(100, 500), kInitCommand);
    unit.send("\xFE\x10\xFF");
    QTest::qWait(100);
    EXPECT_EQ(comPort.getDataAsString(), "\xFE\x10\xFF");
    EXPECT_EQ(comPort.getDataAsString(), "");
}

}  // namespace
}  // namespace vostel

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
