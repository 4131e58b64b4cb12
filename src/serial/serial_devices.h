#pragma once
// The serial devices present on this system, whether the user may open
// them, and the text that describes one device: the same text in
// `vostel-tool ports` and in the desktop program's port error.
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vostel {

// Who owns a device node, as stat(2) gives it.
struct NodeOwner {
    mode_t mode = 0;
    uid_t uid = 0;
    gid_t gid = 0;
    std::string groupName;  // empty when the group database does not know gid
};

// Who asks to open it.
struct Credentials {
    uid_t uid = 0;                     // effective user
    std::vector<gid_t> groups;         // effective and supplementary groups of this login
    std::vector<gid_t> accountGroups;  // the groups the account is in now, per the group database
};

struct DeviceAccess {
    enum class Kind {
        Allowed,     // may open it
        JoinGroup,   // the device's group may; the user is not in it
        LoginAgain,  // the account is in that group, this login is not yet
        Denied,      // neither the user nor any group the user could join may
    };
    Kind kind = Kind::Allowed;
    std::string group;  // the device's group (JoinGroup, LoginAgain, Denied)
    std::string owner;  // the device's owner, for Denied
    mode_t mode = 0;    // the permission bits, for Denied
};

// Judges read and write access the way the kernel checks permission bits:
// the owner's bits for the owner, the group's for a member, the others' for
// everyone else. Root may open everything.
DeviceAccess judgeAccess(const NodeOwner& node, const Credentials& user);

// The credentials of this process.
Credentials currentCredentials();

// Whether this process may open `device`: the kernel's answer (which also
// sees access control lists), and where it says no, the judgement above.
DeviceAccess accessOf(const std::filesystem::path& device);

// One serial device as the system reports it.
struct SerialDevice {
    std::filesystem::path path;  // /dev/ttyUSB0
    std::filesystem::path byId;  // its /dev/serial/by-id name; empty if none
    std::string description;     // "FT232R USB UART", or "built-in serial port"
    std::string maker;           // "FTDI"; empty if not known
    std::string serialNumber;    // empty if not known
    DeviceAccess access;
};

// The serial devices present, sorted by path: the entries of /sys/class/tty
// that have a device behind them (pseudo-terminals and virtual consoles have
// none), less the built-in ports whose UART type is unknown (no hardware).
std::vector<SerialDevice> listSerialDevices();

// The /dev/serial/by-id name in `byIdFolder` that leads to `device`; empty if none.
std::filesystem::path stableName(const std::filesystem::path& device,
                                 const std::filesystem::path& byIdFolder = "/dev/serial/by-id");

// What the user can do about access, on one line without an end of line:
// "you may open it", or the group to join and the command that does it.
std::string accessText(const DeviceAccess& access);

// The device in a few lines, each starting with `indent` and ending with a
// line feed: its path and what the system says of it, its stable name, and
// whether the user may open it.
std::string deviceText(const SerialDevice& device, const std::string& indent = "");

}  // namespace vostel
