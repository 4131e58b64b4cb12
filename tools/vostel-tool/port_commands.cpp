// The port commands: ports, link, unlink.
#include <charconv>
#include <cstdio>
#include <string>

#include "commands.h"
#include "serial/port_links.h"
#include "serial/port_report.h"
#include "serial/serial_devices.h"

namespace vostel::tool {

const char* const kPortUsage =
    "  ports                              the serial devices, their port numbers, whether you may open them\n"
    "  link N DEVICE [--force]            make DEVICE port N (the link comN in the ports folder)\n"
    "  unlink N                           remove the link of port N\n";

namespace {

int portNumber(const std::string& text) {
    int number = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, number);
    if (text.empty() || ec != std::errc() || ptr != end || number < 1 || number > kMaxPortNumber)
        throw PortSetupError("bad port number '" + text + "' (a whole number from 1 to " +
                             std::to_string(kMaxPortNumber) + " is needed)");
    return number;
}

void expectCount(const Args& args, std::size_t count, const char* command) {
    if (args.size() != count)
        throw PortSetupError(std::string(command) + ": " + (args.size() < count ? "missing" : "too many") +
                             " arguments (see vostel-tool --help)");
}

int cmdPortsList(const Args& args) {
    expectCount(args, 0, "ports");
    checkPortsFolder();
    const std::string text = portsListing(listSerialDevices(), scanPortsFolder(), portsFolder());
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 2;
}

int cmdLink(Args args) {
    bool force = false;
    for (auto it = args.begin(); it != args.end();) {
        if (*it == "--force") {
            force = true;
            it = args.erase(it);
        } else {
            ++it;
        }
    }
    expectCount(args, 2, "link");
    const int number = portNumber(args[0]);
    const LinkMade made = linkPort(number, args[1], force);
    if (made.unchanged)
        std::printf("port %d is already %s -> %s; nothing to do\n", number,
                    (portsFolder() / ("com" + std::to_string(number))).c_str(), made.target.c_str());
    return std::fflush(stdout) == 0 ? 0 : 2;
}

int cmdUnlink(const Args& args) {
    expectCount(args, 1, "unlink");
    unlinkPort(portNumber(args[0]));
    return 0;
}

// The command's line of kPortUsage, as its usage.
bool printedHelp(const std::string& command, const Args& args) {
    for (const std::string& a : args) {
        if (a != "--help" && a != "-h") continue;
        const std::string all = kPortUsage;
        const std::size_t at = all.find("  " + command + " ");
        const std::string line = all.substr(at + 2, all.find('\n', at) - at - 2);
        const std::size_t gap = line.find("   ");
        std::printf("usage: vostel-tool %s\n  %s\n", line.substr(0, gap).c_str(),
                    line.substr(line.find_first_not_of(' ', gap)).c_str());
        return true;
    }
    return false;
}

}  // namespace

int cmdPort(const std::string& command, const Args& args) {
    if (command != "ports" && command != "link" && command != "unlink") return -1;
    if (printedHelp(command, args)) return std::fflush(stdout) == 0 ? 0 : 2;
    if (command == "ports") return cmdPortsList(args);
    if (command == "link") return cmdLink(args);
    if (command == "unlink") return cmdUnlink(args);
    return -1;
}

}  // namespace vostel::tool
