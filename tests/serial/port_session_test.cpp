// The port's life on every system, over a fake raw port: opening and its
// errors, a lost device reported once, reopening at each timer tick, and the
// initialisation command sent again once the device is back.
#include "serial/port_session.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "serial/comport.h"
#include "serial/fake_raw_port.h"
#include "serial/protocol.h"
#include "support/errors.h"
#include "support/temp_dir.h"

namespace vostel {
namespace {

namespace fs = std::filesystem;
using Events = std::vector<std::string>;
using OpenFailure = RawPort::OpenFailure;

const std::string kInit(protocol::kInitCommand);

class PortSessionTest : public ::testing::Test {
protected:
    PortSessionTest() {
        testing::writeBytes(unit_, "");  // the name must lead somewhere on Linux
        auto raw = std::make_unique<testing::FakeRawPort>();
        port_ = raw.get();
        session_.emplace(std::move(raw), [this](int) { return unit_; });
    }
    // Opens port 1 as the serial link does, and forgets the events of opening.
    void open() {
        ComPort::openPort(*session_, 1);
        ASSERT_EQ(port_->events, (Events{"open", "write " + kInit}));
        port_->events.clear();
    }
    RuntimeError inputError() {
        return testing::errorOf([&] { session_->input(); });
    }
    std::string port() const { return describePort(1, unit_, findPortDevice(1, unit_).device); }
    std::string lostText(const std::string& reason) const {
        return "Error reading comm device: " + port() + " was lost (" + reason +
               "). It is opened again as soon as it is back.";
    }

    testing::TempDir folder_;
    const fs::path unit_ = folder_ / "unit";
    testing::FakeRawPort* port_ = nullptr;
    std::optional<PortSession> session_;
};

TEST_F(PortSessionTest, LostDeviceIsReportedOnceAfterTheBytesThatCameBeforeIt) {
    open();
    port_->pending = "\xFE\x01\xFF";
    port_->lose("cable pulled");
    EXPECT_EQ(session_->input(), "\xFE\x01\xFF");
    const RuntimeError error = inputError();
    EXPECT_EQ(error.number(), kErrReadingComm);
    EXPECT_EQ(error.text(), lostText("cable pulled"));

    port_->lose("still gone");  // systems report a loss more than once
    for (int read = 0; read < 5; ++read) EXPECT_EQ(session_->input(), "");
    EXPECT_TRUE(session_->portOpen());
    const RuntimeError write = testing::errorOf([&] { session_->output("x"); });
    EXPECT_EQ(write.number(), kErrPortNotOpen);
    EXPECT_EQ(write.text(), "The device is not open: " + port() + " was lost and is not back yet");
    EXPECT_EQ(port_->events, (Events{"lost", "timer 1000", "lost"}));
}

TEST_F(PortSessionTest, ReopensAtEachTickUntilBackThenSendsTheInitialisationCommandAgain) {
    open();
    session_->output("later bytes");  // only the first output after opening is the command
    port_->lose("gone");
    port_->openResults = {OpenFailure{PortOpenFailure::Missing, "not there"},
                          OpenFailure{PortOpenFailure::InUse, "busy"}};
    EXPECT_TRUE(port_->tick());
    EXPECT_EQ(inputError().text(), lostText("gone")) << "a failed reopening raises nothing of its own";
    EXPECT_TRUE(port_->tick());
    EXPECT_EQ(session_->input(), "");
    EXPECT_TRUE(port_->tick());
    EXPECT_FALSE(port_->tick()) << "the timer runs on after the device is back";
    EXPECT_EQ(port_->events, (Events{"write later bytes", "lost", "timer 1000", "open failed", "open failed",
                                     "open", "timer stop", "write " + kInit}));
    EXPECT_EQ(port_->opened, std::vector<fs::path>(4, findPortDevice(1, unit_).device));

    port_->pending = "\xFE\x02\xFF";
    EXPECT_EQ(session_->input(), "\xFE\x02\xFF");
    session_->output("more");
    EXPECT_EQ(port_->events.back(), "write more");
}

// A read or a write that finds the device gone (as on Windows) reports it
// like a loss the system tells by itself; so does the command sent again.
TEST_F(PortSessionTest, ReadOrWriteThatFindsTheDeviceGoneIsALoss) {
    open();
    port_->readLoss = "read failed";
    EXPECT_EQ(inputError().text(), lostText("read failed")) << "raised by the read that found it";
    EXPECT_EQ(session_->input(), "");

    port_->writeLoss = "gone again";
    EXPECT_TRUE(port_->tick());
    EXPECT_EQ(inputError().text(), lostText("gone again"));
    EXPECT_TRUE(port_->tick());
    EXPECT_EQ(port_->events, (Events{"lost", "timer 1000", "open", "timer stop", "write " + kInit, "lost",
                                     "timer 1000", "open", "timer stop", "write " + kInit}));

    port_->writeLoss = "write failed";
    EXPECT_NO_THROW(session_->output("x"));
    EXPECT_EQ(inputError().text(), lostText("write failed")) << "reported by the next read";
}

TEST_F(PortSessionTest, ClosingStopsReopeningAndForgetsTheLoss) {
    open();
    port_->lose("gone");
    session_->setPortOpen(false);
    EXPECT_FALSE(port_->tick());
    EXPECT_EQ(inputError().number(), kErrPortMustBeOpen);
    EXPECT_EQ(testing::errorOf([&] { session_->output("x"); }).number(), kErrPortMustBeOpen);

    session_->setPortOpen(true);
    EXPECT_EQ(session_->input(), "") << "the closed port's loss was reported";
    session_->output("second");  // the command of this opening
    port_->lose("gone");
    EXPECT_TRUE(port_->tick());
    EXPECT_EQ(port_->events, (Events{"lost", "timer 1000", "timer stop", "close", "open", "write second",
                                     "lost", "timer 1000", "open", "timer stop", "write second"}));
}

TEST_F(PortSessionTest, OpenFailuresNameThePortAndTheSystemsReason) {
    session_->setCommPort(1);
    const std::vector<std::pair<OpenFailure, RuntimeError>> cases = {
        {{PortOpenFailure::Missing, "no such"},
         RuntimeError(kErrInvalidPort,
                      "Invalid Port Number: " + port() + " does not exist (no such)." + portsHint(1))},
        {{PortOpenFailure::InUse, "busy"},
         RuntimeError(kErrPortAlreadyOpen,
                      "Port already open: " + port() + " is in use by another program (busy)")},
        {{PortOpenFailure::NotSerial, "not a tty"},
         RuntimeError(kErrInvalidPort,
                      "Invalid Port Number: " + port() + " cannot be opened as a serial port (not a tty)")},
        {{PortOpenFailure::Settings, "bad baud"},
         RuntimeError(kErrCommState,
                      "Could not set comm state: " + port() + " refused the line settings (bad baud)")},
    };
    for (const auto& [failure, expected] : cases) {
        port_->openResults = {failure};
        const RuntimeError error = testing::errorOf([&] { session_->setPortOpen(true); });
        EXPECT_EQ(error.number(), expected.number()) << failure.reason;
        EXPECT_EQ(error.text(), expected.text());
        EXPECT_FALSE(session_->portOpen());
        EXPECT_EQ(inputError().number(), kErrPortMustBeOpen);
    }
}

TEST_F(PortSessionTest, SettingsInputLengthAndPortNumberAreChecked) {
    for (const std::string bad :
         {"9600,N,8", "9600,X,8,1", "fast,N,8,1", "9600,N,9,1", "9600,N,8,3", "0,N,8,1"})
        EXPECT_EQ(testing::errorOf([&] { session_->setSettings(bad); }).number(), kErrCommState) << bad;
    EXPECT_NO_THROW(session_->setSettings("19200,e,7,1.5"));
    EXPECT_EQ(testing::errorOf([&] { session_->setCommPort(0); }).number(), kErrInvalidPort);
    EXPECT_EQ(testing::errorOf([&] { session_->setInputLen(-1); }).number(), kErrInvalidPropertyValue);

    open();
    EXPECT_EQ(testing::errorOf([&] { session_->setCommPort(2); }).number(), kErrPortAlreadyOpen);
    EXPECT_EQ(testing::errorOf([&] { session_->setPortOpen(true); }).number(), kErrPortAlreadyOpen);
    port_->applyRefusal = "no";
    const RuntimeError refused = testing::errorOf([&] { session_->setSettings("4800,N,8,1"); });
    EXPECT_EQ(refused.number(), kErrCommState);
    EXPECT_EQ(refused.text(), "Could not set comm state: " + port() + " refused \"4800,N,8,1\" (no)");

    session_->setInputLen(2);
    port_->pending = "abc";
    EXPECT_EQ(session_->input(), "ab");
    EXPECT_EQ(session_->input(), "c");
}

}  // namespace
}  // namespace vostel
