#pragma once
// The device behind a port number: the name a port is opened by, where that
// name leads, whether the user may open it, whether it is a pseudo-terminal,
// and which link named it. The texts tell the user how to put things right.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "runtime/error.h"

namespace vostel {

// What a port's name leads to at this moment.
struct PortDevice {
    std::filesystem::path name;    // what is opened: Linux the link comN or /dev/ttyS(N-1); Windows \\.\COMN
    std::filesystem::path device;  // the device behind it, as far as it resolves
    std::optional<RuntimeError> error;  // why it cannot be opened, if it cannot
};

// The name port N is opened by on this system: Linux portPath(N), Windows \\.\COMN.
std::filesystem::path portName(int number);

// What `name`, the name of port N, leads to now. Linux: the error is 8002 for
// a name that leads nowhere (with how ports are named and the devices that
// could be made port N) and 70 for a device the user may not read and write
// (with the group to join). Windows leaves all checks to opening.
PortDevice findPortDevice(int number, const std::filesystem::path& name);
// The same for portName(number).
PortDevice findPortDevice(int number);

// "port N (NAME -> DEVICE)", or "port N (NAME)" when the name is the device, for messages.
std::string describePort(int number, const std::filesystem::path& name, const std::filesystem::path& device);

// Follows the text of a port N that does not exist: how ports are named on
// this system, and on Linux the ports present and the serial devices that
// have no number (missingPortAdvice).
std::string portsHint(int number);

// Linux: who holds `device` open: the running program whose process ID its
// lock file LCK..NAME (in /var/lock, /run/lock or the temporary folder) names,
// as "PROGRAM, process PID"; empty when no running program holds such a lock.
std::string portHolder(const std::filesystem::path& device);

// Linux gives the slave sides of pseudo-terminals the majors 136 to 143;
// Windows has none.
bool isPseudoTerminal(const std::filesystem::path& device);

// A symbolic link, told apart from one made anew under the same name.
struct LinkId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;
    bool operator==(const LinkId&) const = default;
};

// The last link of the chain from `name`: the one that names the device itself.
std::optional<LinkId> lastLink(std::filesystem::path name);

}  // namespace vostel
