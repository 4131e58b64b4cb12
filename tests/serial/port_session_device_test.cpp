// Which device a lost port comes back by on Linux: real links in a ports
// folder of the test's own, real pseudo-terminals, and a folder standing in
// for /dev. The raw port is a fake that notes the devices it is asked to open.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "serial/comport.h"
#include "serial/fake_raw_port.h"
#include "serial/port_names.h"
#include "serial/port_session.h"
#include "serial/protocol.h"
#include "support/ports_folder.h"
#include "support/temp_dir.h"
#include "support/test_line.h"

namespace vostel {
namespace {

namespace fs = std::filesystem;

const std::string kResent = "write " + std::string(protocol::kInitCommand);

class PortSessionDeviceTest : public ::testing::Test {
protected:
    PortSessionDeviceTest() {
        auto raw = std::make_unique<testing::FakeRawPort>();
        port_ = raw.get();
        session_.emplace(std::move(raw), [this](int number) { return portPath(number, devices_.path()); });
    }
    // Opens port N through the link to `unit`, then the unit goes away.
    void openThenLose(int number, std::unique_ptr<testing::TestLine>& unit) {
        ComPort::openPort(*session_, static_cast<int16_t>(number));
        ASSERT_EQ(port_->opened, std::vector<fs::path>{fs::canonical(unit->slavePath())});
        unit.reset();
        port_->lose("hung up");
    }

    testing::PortsFolder ports_;
    testing::TempDir devices_;  // stands in for /dev
    testing::FakeRawPort* port_ = nullptr;
    std::optional<PortSession> session_;
};

// An emulator that ends removes its link comN; /dev/ttyS(N-1) then names port
// N, but it is not the device that was lost.
TEST_F(PortSessionDeviceTest, LostPortComesBackOnlyThroughTheLinkItWasOpenedBy) {
    auto unit = std::make_unique<testing::TestLine>();
    ports_.link(1, unit->slavePath());
    openThenLose(1, unit);
    fs::remove(ports_.path() / "com1");
    testing::TestLine builtIn;  // a serial device that opens as well as any
    fs::create_symlink(builtIn.slavePath(), devices_ / "ttyS0");
    ASSERT_EQ(portPath(1, devices_.path()), devices_ / "ttyS0");

    for (int tick = 0; tick < 3; ++tick) EXPECT_TRUE(port_->tick());
    EXPECT_EQ(port_->opened.size(), 1u) << "reopened through " << port_->opened.back();
    try {
        session_->input();
        ADD_FAILURE() << "the loss was not reported";
    } catch (const RuntimeError& e) {
        EXPECT_NE(e.text().find((ports_.path() / "com1").string()), std::string::npos) << e.text();
    }

    testing::TestLine again;  // the emulator starts again and links com1 anew
    ports_.link(1, again.slavePath());
    EXPECT_TRUE(port_->tick());
    EXPECT_EQ(port_->opened.back(), fs::canonical(again.slavePath()));
    EXPECT_EQ(port_->events.back(), kResent);
}

// An emulator that dies without removing its link leaves comN pointing at a
// pseudo-terminal number the system soon gives to another program (a terminal
// window, say). That is never the lost unit coming back. A link made anew is
// followed as usual.
TEST_F(PortSessionDeviceTest, LostPseudoTerminalIsNotReopenedUnderAnotherProgram) {
    auto unit = std::make_unique<testing::TestLine>();
    const std::string lostPath = unit->slavePath();
    ports_.link(7, lostPath);
    openThenLose(7, unit);

    testing::TestLine
        stranger;  // the system gives out the lowest free number: the lost one, unless taken meanwhile
    if (stranger.slavePath() != lostPath) GTEST_SKIP() << "the new pseudo-terminal got another number";
    EXPECT_TRUE(port_->tick());
    EXPECT_TRUE(port_->tick());
    EXPECT_EQ(port_->opened.size(), 1u) << "opened another program's pseudo-terminal";

    ports_.link(7, stranger.slavePath());  // a restarted emulator links its terminal anew
    EXPECT_TRUE(port_->tick());
    EXPECT_EQ(port_->opened.size(), 2u);
    EXPECT_EQ(port_->events.back(), kResent);
}

// comN may lead to the pseudo-terminal through a further link that a program
// (a serial-over-network bridge, say) makes anew when it restarts: that is
// followed, also when the new terminal got the lost one's number.
TEST_F(PortSessionDeviceTest, LinkMadeAnewFurtherAlongTheChainIsFollowed) {
    const fs::path bridge = ports_.config() / "ttyBridge";
    auto unit = std::make_unique<testing::TestLine>();
    fs::create_symlink(unit->slavePath(), bridge);
    ports_.link(8, bridge);
    openThenLose(8, unit);

    testing::TestLine restarted;
    const fs::path fresh = ports_.config() / "ttyBridge.new";
    fs::create_symlink(restarted.slavePath(), fresh);
    fs::rename(fresh, bridge);  // comN itself stays as it was
    EXPECT_TRUE(port_->tick());
    EXPECT_EQ(port_->opened.back(), fs::canonical(restarted.slavePath()));
    EXPECT_EQ(port_->events.back(), kResent);
}

}  // namespace
}  // namespace vostel
