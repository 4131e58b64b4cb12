// Port setup on real files: a temporary ports folder, real pseudo-terminals
// and character devices such as /dev/null, and the real vostel-tool.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "serial/port_links.h"
#include "serial/port_names.h"
#include "serial/port_report.h"
#include "serial/serial_devices.h"
#include "support/ports_folder.h"
#include "support/process.h"
#include "support/test_line.h"

namespace vostel {
namespace {

namespace fs = std::filesystem;

// The real vostel-tool with the test's ports folder; a refusal is exit 2
// with one line naming `needle` and nothing on standard output.
testing::RunResult tool(const std::vector<std::string>& args) {
    std::vector<std::string> command{VOSTEL_TOOL};
    command.insert(command.end(), args.begin(), args.end());
    return testing::run(command);
}

void expectRefused(const std::vector<std::string>& args, const std::string& needle) {
    SCOPED_TRACE(args.size() > 1 ? args[0] + " " + args[1] : args[0]);
    const testing::RunResult r = tool(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_NE(r.err.find(needle), std::string::npos) << r.err;
}

class PortsTest : public ::testing::Test {
protected:
    fs::path com(int n) const { return ports_.path() / ("com" + std::to_string(n)); }

    testing::PortsFolder ports_;
    testing::TestLine unit_;
};

TEST_F(PortsTest, LinkMakesRefusesAndUnlinkRemoves) {
    fs::remove(ports_.path());
    // A pseudo-terminal is no serial line; --force links it anyway, and linking it again is no change.
    expectRefused({"link", "3", unit_.slavePath()}, "pseudo-terminal");
    expectRefused({"link", "3", unit_.slavePath()}, "--force links it anyway");
    EXPECT_EQ(tool({"link", "3", unit_.slavePath(), "--force"}).status, 0);
    EXPECT_EQ(fs::read_symlink(com(3)), unit_.slavePath()) << "the folder is made when needed";
    EXPECT_EQ(portPath(3), com(3));
    const testing::RunResult again = tool({"link", "3", unit_.slavePath()});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out,
              "port 3 is already " + com(3).string() + " -> " + unit_.slavePath() + "; nothing to do\n");

    expectRefused({"link", "3", "/dev/null"}, "--force");
    EXPECT_EQ(fs::read_symlink(com(3)), unit_.slavePath()) << "a refused link leaves the old one";
    EXPECT_EQ(tool({"link", "3", "/dev/null", "--force"}).status, 0);
    EXPECT_EQ(fs::read_symlink(com(3)), "/dev/null");
    for (const char* device : {"/dev/null", "/dev/tty"})
        expectRefused({"link", "4", device}, std::string(device) + " is not a serial line");

    const fs::path file = ports_.config() / "plain-file";
    std::ofstream(file) << "x";
    expectRefused({"link", "4", file}, "not a character device");
    expectRefused({"link", "4", ports_.config()}, "not a character device");
    expectRefused({"link", "4", "/dev/no-such-device"}, "No such file or directory");
    for (const char* number : {"0", "32768", "-1", "3x", ""})
        expectRefused({"link", number, "/dev/null"}, "1 to 32767");
    EXPECT_FALSE(fs::is_symlink(com(4)));
    // The program's whole range: what link makes, ports lists and unlink removes.
    EXPECT_EQ(tool({"link", "32767", "/dev/null", "--force"}).status, 0);
    EXPECT_NE(tool({"ports"}).out.find("port 32767: com32767 -> /dev/null"), std::string::npos);
    EXPECT_EQ(tool({"unlink", "32767"}).status, 0);

    EXPECT_EQ(tool({"unlink", "3"}).status, 0);
    EXPECT_FALSE(fs::is_symlink(com(3)));
    EXPECT_TRUE(fs::exists("/dev/null"));
    expectRefused({"unlink", "3"}, "no link");
    fs::create_directories(com(5));
    expectRefused({"unlink", "5"}, "not a link");
    expectRefused({"link", "5", "/dev/null", "--force"}, "not a link");
    EXPECT_TRUE(fs::is_directory(com(5))) << "only links are removed or replaced";

    // A file where the ports folder belongs: one line, and the file stays.
    fs::remove_all(ports_.path());
    std::ofstream(ports_.path()) << "x";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ports"}, {"link", "3", "/dev/null"}})
        expectRefused(args, "the ports folder " + ports_.path().string() + " is not a folder but a file");
    EXPECT_TRUE(fs::is_regular_file(ports_.path()));
}

TEST_F(PortsTest, LinkPrefersTheStableName) {
    const fs::path byId = ports_.config() / "by-id";
    fs::create_directories(byId);
    const fs::path stable = byId / "usb-Maker_Adapter_A1B2-if00-port0";
    fs::create_symlink(unit_.slavePath(), stable);
    fs::create_symlink("/dev/null", byId / "usb-Other");
    EXPECT_EQ(linkPort(7, unit_.slavePath(), true, ports_.path(), byId).target, stable);
    EXPECT_EQ(fs::read_symlink(com(7)), stable);
    EXPECT_EQ(stableName("/dev/zero", byId), fs::path());
}

TEST_F(PortsTest, ListingMarksDanglingAndPseudoTerminalLinks) {
    fs::create_symlink("/dev/ttyUSB97", com(2));
    fs::create_symlink(unit_.slavePath(), com(12));
    fs::create_symlink("/dev/null", com(4));
    fs::create_symlink("/dev/null", ports_.path() / "com04");  // not a name any port number gives

    const std::vector<PortLink> links = scanPortsFolder(ports_.path());
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].state, PortLink::State::Dangling);
    EXPECT_EQ(links[1].state, PortLink::State::Device);
    EXPECT_EQ(links[2].state, PortLink::State::PseudoTerminal);

    const testing::RunResult r = tool({"ports"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::size_t two = r.out.find("port 2: com2 -> /dev/ttyUSB97, which points nowhere");
    const std::size_t twelve = r.out.find("port 12: com12 -> " + unit_.slavePath() + ", a pseudo-terminal");
    EXPECT_NE(two, std::string::npos) << r.out;
    EXPECT_NE(twelve, std::string::npos) << r.out;
    EXPECT_LT(two, twelve) << "sorted by port number";
    EXPECT_NE(r.out.find("port 4: com4 -> /dev/null\n  /dev/null: not a serial device"), std::string::npos)
        << r.out;
}

// A relative XDG_CONFIG_HOME is ignored, as the XDG rules say: the default folder counts.
TEST(PortNamesTest, RelativeXdgConfigHomeIsIgnored) {
    testing::PortsFolder ports;
    EXPECT_EQ(portsFolder(), ports.path());
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(portsFolder(), fs::path(::getenv("HOME")) / ".config" / "vostel" / "ports");
}

}  // namespace
}  // namespace vostel
