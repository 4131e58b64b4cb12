#pragma once
// How a port number is mapped to a serial device.
#include <filesystem>

namespace vostel {

// Port numbers run from 1 to 32767, what the program's port prompt accepts (a
// 16-bit number above 0); every tool takes the same range.
inline constexpr int kMaxPortNumber = 32767;

// The per-user ports folder: $XDG_CONFIG_HOME/vostel/ports, by default (also
// for a relative XDG_CONFIG_HOME) ~/.config/vostel/ports. Links named comN in
// it make a device port N.
std::filesystem::path portsFolder();

// The name under which port N is opened: the link comN in the ports folder
// when it exists (also a dangling one), otherwise ttyS(N-1) in `devices`. The
// link is not resolved here, so a device that comes back under another path
// behind the same link is found again.
std::filesystem::path portPath(int number, const std::filesystem::path& devices = "/dev");

}  // namespace vostel
