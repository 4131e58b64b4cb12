// The device behind a port number, without Qt: links in a ports folder of the
// test's own, real pseudo-terminals.
#include "serial/port_device.h"

#include <algorithm>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "serial/port_report.h"
#include "support/ports_folder.h"
#include "support/test_line.h"

namespace vostel {
namespace {

namespace fs = std::filesystem;

TEST(PortDevice, LinkToAPseudoTerminalLeadsToIt) {
    testing::PortsFolder ports;
    testing::TestLine unit;
    const fs::path link = ports.link(3, unit.slavePath());
    const PortDevice found = findPortDevice(3);
    EXPECT_FALSE(found.error.has_value());
    EXPECT_EQ(found.name, link);
    EXPECT_EQ(found.device, fs::canonical(unit.slavePath()));
    EXPECT_EQ(describePort(3, found.name, found.device),
              "port 3 (" + link.string() + " -> " + found.device.string() + ")");
    EXPECT_TRUE(isPseudoTerminal(found.device));
    EXPECT_FALSE(isPseudoTerminal("/dev/null"));
    EXPECT_FALSE(isPseudoTerminal(link.parent_path()));
}

TEST(PortDevice, MissingDeviceNamesTheDeviceAndThePortsFolder) {
    testing::PortsFolder ports;
    ports.link(5, "/dev/pts/999999");
    const RuntimeError viaLink = *findPortDevice(5).error;
    EXPECT_EQ(viaLink.number(), kErrInvalidPort);
    EXPECT_NE(viaLink.text().find((ports.path() / "com5").string()), std::string::npos) << viaLink.text();
    EXPECT_NE(viaLink.text().find("/dev/pts/999999"), std::string::npos) << viaLink.text();
    EXPECT_NE(viaLink.text().find("does not exist"), std::string::npos) << viaLink.text();
    EXPECT_NE(viaLink.text().find("No such file or directory"), std::string::npos) << viaLink.text();

    ASSERT_FALSE(fs::exists("/dev/ttyS199"));
    const PortDevice plain = findPortDevice(200);
    EXPECT_EQ(plain.name, "/dev/ttyS199");
    ASSERT_TRUE(plain.error.has_value());
    EXPECT_EQ(plain.error->number(), kErrInvalidPort);
    EXPECT_NE(plain.error->text().find("does not exist"), std::string::npos) << plain.error->text();
    EXPECT_NE(plain.error->text().find(ports.path().string()), std::string::npos) << plain.error->text();
    // Then the ports there are (com5 too) and what could be made port 200, in the words of vostel-tool ports.
    const std::string advice = missingPortAdvice(200, listSerialDevices(), scanPortsFolder());
    EXPECT_NE(advice.find("port 5: com5 -> /dev/pts/999999"), std::string::npos) << advice;
    const std::string& text = plain.error->text();
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), advice.size())), advice) << text;
}

TEST(PortDevice, DeniedDeviceAsksToJoinTheDialoutGroup) {
    testing::PortsFolder ports;
    testing::TestLine unit;
    ports.link(4, unit.slavePath());
    ASSERT_EQ(::chmod(unit.slavePath().c_str(), 0), 0);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    // Root may open everything, so the look runs in a child without privileges.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        const PortDevice found = findPortDevice(4);
        const std::string report =
            found.error ? std::to_string(found.error->number()) + " " + found.error->text() : "allowed";
        if (::write(pipeFds[1], report.data(), report.size()) < 0) ::_exit(4);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
        report.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_EQ(report.rfind("70 Permission denied", 0), 0u) << report;
    EXPECT_NE(report.find(unit.slavePath()), std::string::npos) << report;
    EXPECT_NE(report.find("dialout"), std::string::npos) << report;
    EXPECT_NE(report.find("you may not open it"), std::string::npos) << report;
}

TEST(PortDevice, LinkMadeAnewIsToldApartAndChainsEndAtTheirLastLink) {
    testing::PortsFolder ports;
    const fs::path com5 = ports.link(5, "/dev/null");
    const std::optional<LinkId> first = lastLink(com5);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(lastLink(com5), first);
    ports.link(5, "/dev/null");  // the same target, but a new link
    EXPECT_NE(lastLink(com5), first);

    const fs::path bridge = ports.config() / "bridge";
    fs::create_symlink("/dev/null", bridge);
    EXPECT_EQ(lastLink(ports.link(6, bridge)), lastLink(bridge));
    EXPECT_FALSE(lastLink("/dev/null").has_value());
}

}  // namespace
}  // namespace vostel
