// The real serial control against pseudo-terminals: the test holds the
// master side, the control opens the slave through a comN link in a
// temporary ports folder.
#include "qt/serial_control.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "serial/comport.h"
#include "serial/protocol.h"
#include "support/errors.h"
#include "support/ports_folder.h"
#include "support/test_line.h"

namespace vostel::qt {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kInitCommand(protocol::kInitCommand);

// The unit's end of a line, waiting with the event loop running.
struct Pty : testing::TestLine {
    Pty() : TestLine([](std::chrono::milliseconds ms) { QTest::qWait(static_cast<int>(ms.count())); }) {}
};

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class QtSerialControlTest : public ::testing::Test {
protected:
    fs::path ports() const { return folder_.path(); }
    void link(int number, const fs::path& target) { folder_.link(number, target); }
    static void openPort(SerialControl& control, int16_t number) {
        control.setCommPort(number);
        control.setSettings("9600,N,8,1");
        control.setInputLen(0);
        control.setPortOpen(true);
        control.output(kInitCommand);
    }
    // Reads until `count` bytes came or `ms` passed.
    static std::string collect(SerialControl& control, std::size_t count, int ms = 3000) {
        std::string got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < count && clock.elapsed() < ms) {
            QTest::qWait(10);
            got += control.input();
        }
        return got;
    }
    static RuntimeError openError(SerialControl& control) {
        return testing::errorOf([&] { control.setPortOpen(true); });
    }

    testing::PortsFolder folder_;
};

TEST_F(QtSerialControlTest, UnitReceivesExactlyTheInitialisationCommand) {
    Pty unit;
    link(3, unit.slavePath());
    SerialControl control;
    openPort(control, 3);
    EXPECT_TRUE(control.portOpen());
    EXPECT_EQ(unit.receive(100, 500ms), kInitCommand);
}

// The line as the device holds it after the port was opened: 9600 baud,
// 8 data bits, no parity, 1 stop bit, raw, whatever it was set to before.
TEST_F(QtSerialControlTest, LineIsSetTo9600Baud8N1Raw) {
    Pty unit;
    auto lineOf = [&] {
        termios tio{};
        const int fd = ::open(unit.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::tcgetattr(fd, &tio), 0);
        return std::pair{fd, tio};
    };
    auto [fd, before] = lineOf();
    // A cooked line at 1200 baud with 2 stop bits. (A pseudo-terminal always
    // keeps 8 data bits and no parity, whatever is asked of it.)
    before.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    before.c_iflag |= ICRNL | ISTRIP | IXON;
    before.c_oflag |= OPOST | ONLCR;
    before.c_cflag |= CSTOPB;
    ::cfsetispeed(&before, B1200);
    ::cfsetospeed(&before, B1200);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &before), 0);
    ::close(fd);

    link(4, unit.slavePath());
    SerialControl control;
    openPort(control, 4);
    auto [fd2, line] = lineOf();
    ::close(fd2);
    EXPECT_EQ(::cfgetispeed(&line), speed_t{B9600});
    EXPECT_EQ(::cfgetospeed(&line), speed_t{B9600});
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(line.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | PARMRK), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
}

TEST_F(QtSerialControlTest, ReadsReturnEveryByteOnceAndNeverWait) {
    Pty unit;
    link(2, unit.slavePath());
    SerialControl control;
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
    std::string first;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(first = control.input()).empty(); }, 3000)) << "nothing came";
    EXPECT_EQ(first, "ab");
    EXPECT_EQ(control.input(), "c");
    EXPECT_EQ(control.input(), "");
}

TEST_F(QtSerialControlTest, InputBufferKeepsTheOldest1024BytesAndDropsTheRest) {
    Pty unit;
    link(7, unit.slavePath());
    SerialControl control;
    openPort(control, 7);
    std::string sent(5000, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i % 251);
    unit.send(sent);
    const std::size_t overflow = sent.size() - kInputBufferSize;
    EXPECT_TRUE(QTest::qWaitFor([&] { return control.droppedBytes() >= overflow; }, 5000));

    const std::string first = control.input();
    EXPECT_EQ(first, sent.substr(0, kInputBufferSize));
    EXPECT_EQ(control.droppedBytes(), overflow);
    EXPECT_EQ(control.input(), "");

    unit.send("\xFE\x05\x06\x07\xFF");
    EXPECT_EQ(collect(control, 5), "\xFE\x05\x06\x07\xFF") << "the buffer takes bytes again once read";
}

// The texts of a missing or denied device are tested with the port mapping.
TEST_F(QtSerialControlTest, MissingDeviceLeavesThePortClosed) {
    link(5, "/dev/pts/999999");
    SerialControl dangling;
    dangling.setCommPort(5);
    const RuntimeError error = openError(dangling);
    EXPECT_EQ(error.number(), kErrInvalidPort);
    EXPECT_NE(error.text().find("/dev/pts/999999"), std::string::npos) << error.text();
    EXPECT_FALSE(dangling.portOpen());
    EXPECT_THROW(dangling.input(), RuntimeError) << "reading a closed port";
}

// The second control finds the port locked: the error names the holder (this
// test program) from the lock file, not a "permission" that is no fault.
TEST_F(QtSerialControlTest, PortInUseNamesTheProgramHoldingIt) {
    Pty unit;
    link(6, unit.slavePath());
    SerialControl first, second;
    openPort(first, 6);
    second.setCommPort(6);
    const RuntimeError error = openError(second);
    EXPECT_EQ(error.number(), kErrPortAlreadyOpen);
    std::string self;
    std::getline(std::ifstream("/proc/self/comm"), self);
    EXPECT_NE(error.text().find("in use by another program (" + self + ", process " +
                                std::to_string(::getpid()) + ")"),
              std::string::npos)
        << error.text();
    EXPECT_EQ(error.text().find("ermission"), std::string::npos) << error.text();
}

TEST_F(QtSerialControlTest, DeviceThatIsNotASerialPortIsRefused) {
    const fs::path file = folder_.config() / "not-a-tty";
    std::fclose(std::fopen(file.c_str(), "w"));
    link(8, file);
    SerialControl control;
    control.setCommPort(8);
    const RuntimeError error = openError(control);
    EXPECT_NE(error.text().find(file.string()), std::string::npos) << error.text();
    EXPECT_FALSE(control.portOpen());
}

TEST_F(QtSerialControlTest, LostPortIsReportedOnceThenReopenedBehindTheSameLink) {
    auto unit = std::make_unique<Pty>();
    link(6, unit->slavePath());
    SerialControl control;
    openPort(control, 6);
    ASSERT_EQ(unit->receive(7, 2000ms), kInitCommand);
    unit->send("\xFE\x01\x02\x03\xFF");
    EXPECT_EQ(collect(control, 5), "\xFE\x01\x02\x03\xFF");

    unit->close();
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
    link(6, unit->slavePath());
    EXPECT_EQ(unit->receive(7, 5000ms), kInitCommand) << "the control did not come back";
    unit->send("\xFE\x44\x55\xFF");
    EXPECT_EQ(collect(control, 4), "\xFE\x44\x55\xFF");
    EXPECT_EQ(control.input(), "");
}

TEST_F(QtSerialControlTest, ComPortOpensTheTypedPortOverTheRealControl) {
    class Typing : public Prompts {
    public:
        std::string inputBox(std::string_view, std::string_view) override { return " 9"; }
        void msgBox(std::string_view, int, std::string_view) override { ADD_FAILURE() << "warning shown"; }
    } prompts;
    Pty unit;
    link(9, unit.slavePath());
    SerialControl control;
    ComPort comPort(control, prompts);
    ASSERT_TRUE(comPort.Init());
    EXPECT_EQ(unit.receive(100, 500ms), kInitCommand);
    unit.send("\xFE\x10\xFF");
    std::string got;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (got += comPort.getDataAsString()).size() >= 3; }, 3000)) << got;
    EXPECT_EQ(got, "\xFE\x10\xFF");
    EXPECT_EQ(comPort.getDataAsString(), "");
}

}  // namespace
}  // namespace vostel::qt
