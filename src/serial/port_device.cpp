#include "serial/port_device.h"

namespace vostel {

std::string describePort(int number, const std::filesystem::path& name, const std::filesystem::path& device) {
    std::string text = "port " + std::to_string(number) + " (" + name.string();
    if (device != name) text += " -> " + device.string();
    return text + ")";
}

PortDevice findPortDevice(int number) { return findPortDevice(number, portName(number)); }

}  // namespace vostel
