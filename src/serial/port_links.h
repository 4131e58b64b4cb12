#pragma once
// The links comN of the ports folder: what they lead to, making one and
// removing one.
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "serial/port_names.h"

namespace vostel {

// An entry comN of the ports folder.
struct PortLink {
    enum class State {
        Device,          // leads to a character device
        PseudoTerminal,  // leads to a pseudo-terminal: an emulator such as vostel-sim
        Dangling,        // leads nowhere: the adapter is unplugged, or the emulator has ended
        NotADevice,      // leads to something that is not a character device
        NotALink,        // comN is a file or folder of its own
    };
    int number = 0;
    std::filesystem::path link;    // the folder's entry comN
    std::filesystem::path target;  // what the link says; empty for NotALink
    std::filesystem::path device;  // where it leads in the end; empty for Dangling
    State state = State::Dangling;
};

// The entries comN (N from 1 to 32767, written without leading zeros) of
// `folder`, sorted by N; other names are not port names and are left out.
std::vector<PortLink> scanPortsFolder(const std::filesystem::path& folder = portsFolder());

// A refusal of linkPort or unlinkPort, in one line.
class PortSetupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raises PortSetupError when `folder` exists but is no folder (a file in its place).
void checkPortsFolder(const std::filesystem::path& folder = portsFolder());

struct LinkMade {
    std::filesystem::path target;  // what the link points at
    bool unchanged = false;        // the link was already exactly that
};

// Makes `device` port `number`: the link comN in `folder` (created if needed)
// pointing at the device's name in `byIdFolder` where it has one, so that the
// number survives plugging the adapter into another socket; otherwise at the
// device as given. A link that is already exactly that is left as it is.
// Refuses a number outside 1 to kMaxPortNumber, a device that is not a
// character device; unless `force`, a device that is not a serial line (a
// pseudo-terminal, /dev/null, a terminal) and replacing an existing comN
// (never one that is not a link).
LinkMade linkPort(int number, const std::filesystem::path& device, bool force,
                  const std::filesystem::path& folder = portsFolder(),
                  const std::filesystem::path& byIdFolder = "/dev/serial/by-id");

// Removes the link comN from `folder`: only a link, never what it points at.
void unlinkPort(int number, const std::filesystem::path& folder = portsFolder());

}  // namespace vostel
