#pragma once
// What the user reads about ports: the listing of `vostel-tool ports` and
// the advice in the desktop program's error for a port that does not exist.
// Both are built from a device list and the ports folder's links, so tests
// can give them directly.
#include <filesystem>
#include <string>
#include <vector>

#include "serial/port_links.h"
#include "serial/serial_devices.h"

namespace vostel {

// Every port number that reaches something, sorted by number: the links of
// the ports folder (those that lead nowhere or to a pseudo-terminal marked
// as such) and the built-in ports /dev/ttyS(N-1) that no link hides; then the
// devices that no number reaches yet, each with the command that links it.
// Ends with a line saying so when no serial device is present.
std::string portsListing(const std::vector<SerialDevice>& devices, const std::vector<PortLink>& links,
                         const std::filesystem::path& folder);

// For a port `number` that does not exist: the port numbers that reach
// something (as in the listing, emulators' links too), then the serial devices
// that have no number, each with the command that makes it port `number`; and
// a line saying so when no serial device is present.
std::string missingPortAdvice(int number, const std::vector<SerialDevice>& devices,
                              const std::vector<PortLink>& links);

// For a device the user may not open: its text from `devices` where it is
// listed there, otherwise its path and whether this process may open it.
std::string deniedPortAdvice(const std::filesystem::path& device, const std::vector<SerialDevice>& devices);

}  // namespace vostel
