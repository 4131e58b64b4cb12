#pragma once
// The device behind a port number on Linux: where the port's name leads,
// whether the user may open it, whether it is a pseudo-terminal, and which
// link named it. The texts tell the user how to put things right.
#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "runtime/error.h"

namespace vostel {

// What port N names at this moment.
struct PortDevice {
    std::filesystem::path name;         // what is opened: the link comN or /dev/ttyS(N-1)
    std::filesystem::path device;       // the device behind it, as far as it resolves
    std::optional<RuntimeError> error;  // why it cannot be opened, if it cannot
};

// Resolves port N (portPath). The error is 8002 for a port that leads nowhere
// (with how ports are named and the devices that could be made port N) and 70
// for a device the user may not read and write (with the group to join).
PortDevice findPortDevice(int number);

// "port N (NAME -> DEVICE)", for messages.
std::string describePort(int number, const std::filesystem::path& name, const std::filesystem::path& device);

// For port N that does not exist: how ports are named, then the ports present
// and the serial devices that have no number (missingPortAdvice).
std::string portsHint(int number);

// Who holds `device` open: the running program whose process ID its lock file
// LCK..NAME (in /var/lock, /run/lock or the temporary folder) names, as
// "PROGRAM, process PID"; empty when no running program holds such a lock.
std::string portHolder(const std::filesystem::path& device);

// Linux gives the slave sides of pseudo-terminals the majors 136 to 143.
bool isPseudoTerminal(const std::filesystem::path& device);

// A symbolic link, told apart from one made anew under the same name.
struct LinkId {
    dev_t device;
    ino_t inode;
    timespec changed;
    bool operator==(const LinkId& o) const {
        return device == o.device && inode == o.inode && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec;
    }
};

// The last link of the chain from `name`: the one that names the device itself.
std::optional<LinkId> lastLink(std::filesystem::path name);

}  // namespace vostel
