#include "serial/port_device.h"

namespace vostel {

// \\.\COMN also reaches COM10 and above.
std::filesystem::path portName(int number) { return L"\\\\.\\COM" + std::to_wstring(number); }

PortDevice findPortDevice(int, const std::filesystem::path& name) {
    return PortDevice{name, name, std::nullopt};
}

std::string portsHint(int) {
    return " Port N is COMN; the Device Manager lists the serial ports under Ports (COM & LPT).";
}

bool isPseudoTerminal(const std::filesystem::path&) { return false; }

std::optional<LinkId> lastLink(std::filesystem::path) { return std::nullopt; }

}  // namespace vostel
