// The serial devices present, judged as the kernel judges access, and the
// listing and advice made from them.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "serial/port_links.h"
#include "serial/port_report.h"
#include "serial/serial_devices.h"
#include "support/test_line.h"

namespace vostel {
namespace {

using Kind = DeviceAccess::Kind;

TEST(AccessTest, JudgedLikeTheKernelChecksThePermissionBits) {
    const NodeOwner dialoutDevice{S_IFCHR | 0660, 0, 20, "dialout"};
    const Credentials user{1000, {1000, 24}, {1000, 24}};
    EXPECT_EQ(judgeAccess(dialoutDevice, user).kind, Kind::JoinGroup);
    EXPECT_EQ(judgeAccess(dialoutDevice, user).group, "dialout");
    EXPECT_EQ(judgeAccess(dialoutDevice, {1000, {1000, 20}, {1000, 20}}).kind, Kind::Allowed);
    // Added to the group after logging in: the account is in it, this login is not.
    EXPECT_EQ(judgeAccess(dialoutDevice, {1000, {1000}, {1000, 20}}).kind, Kind::LoginAgain);
    EXPECT_EQ(judgeAccess(dialoutDevice, {0, {0}, {0}}).kind, Kind::Allowed) << "root opens everything";
    EXPECT_EQ(judgeAccess({S_IFCHR | 0666, 0, 20, "dialout"}, user).kind, Kind::Allowed);
    EXPECT_EQ(judgeAccess({S_IFCHR | 0640, 0, 20, "dialout"}, {1000, {20}, {20}}).kind, Kind::Denied)
        << "read alone is not enough";
    // The owner's bits decide for the owner, even where the group's would allow.
    EXPECT_EQ(judgeAccess({S_IFCHR | 0066, 1000, 20, "dialout"}, {1000, {20}, {20}}).kind, Kind::Denied);
    const DeviceAccess rootOnly = judgeAccess({S_IFCHR | 0600, 0, 0, "root"}, user);
    EXPECT_EQ(rootOnly.kind, Kind::Denied);
    EXPECT_EQ(accessText(rootOnly).find("adduser"), std::string::npos) << "joining group root does not help";
    EXPECT_NE(accessText(rootOnly).find("0600"), std::string::npos) << accessText(rootOnly);

    EXPECT_EQ(accessText(judgeAccess(dialoutDevice, user)),
              "you may not open it: the group dialout may; join it with sudo adduser \"$USER\" dialout, "
              "then log in again");
}

// As root the attempt runs in a child that has given up its privileges;
// without root the test cannot give a device to a group it is not in.
TEST(AccessTest, RealDeviceOfAnotherGroupNeedsThatGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the device to the group dialout";
    testing::TestLine unit;
    ASSERT_EQ(::chown(unit.slavePath().c_str(), 0, 20), 0);
    ASSERT_EQ(::chmod(unit.slavePath().c_str(), 0660), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        const DeviceAccess access = accessOf(unit.slavePath());
        const bool opens = ::open(unit.slavePath().c_str(), O_RDWR | O_NOCTTY) >= 0;
        ::_exit(access.kind == Kind::JoinGroup && access.group == "dialout" && !opens ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(accessOf(unit.slavePath()).kind, Kind::Allowed);
}

TEST(PortReportTest, ListingAndErrorAdviceComeFromTheDeviceList) {
    DeviceAccess join;
    join.kind = Kind::JoinGroup;
    join.group = "dialout";
    const std::vector<SerialDevice> devices{{"/dev/ttyACM0", "", "Receiver", "", "", {}},
                                            {"/dev/ttyS0", "", "built-in serial port", "", "", {}},
                                            {"/dev/ttyS1", "", "built-in serial port", "", "", {}},
                                            {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R-if00",
                                             "FT232R USB UART", "FTDI", "A50285BI", join}};
    const std::string usb = deviceText(devices[3], "  ");
    EXPECT_EQ(
        usb,
        "  /dev/ttyUSB0: FT232R USB UART (made by FTDI, serial number A50285BI)\n"
        "    stable name /dev/serial/by-id/usb-FTDI_FT232R-if00\n"
        "    you may not open it: the group dialout may; join it with sudo adduser \"$USER\" dialout, then "
        "log in again\n");

    // com2 hides /dev/ttyS1; ttyACM0 and ttyUSB0 get the lowest numbers nothing reaches.
    PortLink hidden{2, "/ports/com2", "/dev/null", "/dev/null", PortLink::State::Device};
    const std::string listing = portsListing(devices, {hidden}, "/ports");
    EXPECT_NE(listing.find("port 1, by the built-in numbering:\n  /dev/ttyS0"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("port 2, by the built-in numbering"), std::string::npos) << listing;
    EXPECT_NE(listing.find("make it port 3: vostel-tool link 3 /dev/ttyACM0"), std::string::npos) << listing;
    EXPECT_NE(listing.find("make it port 4: vostel-tool link 4 /dev/ttyS1"), std::string::npos) << listing;
    EXPECT_NE(listing.find(usb + "  make it port 5: vostel-tool link 5 /dev/ttyUSB0"), std::string::npos)
        << listing;
    EXPECT_EQ(listing.find("No serial device"), std::string::npos);

    // A port that does not exist: the ports there are (an emulator's too), then the devices without a number.
    PortLink emulator{12, "/ports/com12", "/dev/pts/7", "/dev/pts/7", PortLink::State::PseudoTerminal};
    const std::string advice = missingPortAdvice(3, devices, {emulator});
    EXPECT_EQ(advice, "Ports present:\nport 1, by the built-in numbering:\n" + deviceText(devices[1], "  ") +
                          "port 2, by the built-in numbering:\n" + deviceText(devices[2], "  ") +
                          "port 12: com12 -> /dev/pts/7, a pseudo-terminal (an emulator such as vostel-sim)\n"
                          "Serial devices without a port number:\n" +
                          deviceText(devices[0], "  ") +
                          "  make it port 3: vostel-tool link 3 /dev/ttyACM0\n" + usb +
                          "  make it port 3: vostel-tool link 3 /dev/ttyUSB0");

    EXPECT_EQ(deniedPortAdvice("/dev/ttyUSB0", devices) + "\n", deviceText(devices[3]));
    EXPECT_EQ(missingPortAdvice(3, {}, {}),
              "No serial device is present: check the cable and the adapter's driver.");
    EXPECT_EQ(
        missingPortAdvice(3, {}, {emulator}),
        "Ports present:\nport 12: com12 -> /dev/pts/7, a pseudo-terminal (an emulator such as vostel-sim)\n"
        "No serial device is present: check the cable and the adapter's driver.");
    EXPECT_NE(portsListing({}, {}, "/ports").find("No serial device is present"), std::string::npos);
}

}  // namespace
}  // namespace vostel
