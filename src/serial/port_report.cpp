#include "serial/port_report.h"

#include <map>
#include <set>
#include <system_error>

namespace vostel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBuiltInPrefix = "/dev/ttyS";

// The port number /dev/ttyS(N-1) gives a built-in port, or 0.
int builtInNumber(const fs::path& device) {
    const std::string path = device.string();
    const std::string prefix = kBuiltInPrefix;
    if (path.size() <= prefix.size() || path.size() > prefix.size() + 4 ||
        path.compare(0, prefix.size(), prefix) != 0)
        return 0;
    int index = 0;
    for (std::size_t i = prefix.size(); i < path.size(); ++i) {
        if (path[i] < '0' || path[i] > '9') return 0;
        index = index * 10 + (path[i] - '0');
    }
    return index + 1;
}

fs::path resolved(const fs::path& path) {
    std::error_code ec;
    fs::path real = fs::weakly_canonical(path, ec);
    return ec ? path : real;
}

std::string linkCommand(int number, const SerialDevice& device) {
    return "vostel-tool link " + std::to_string(number) + " " + device.path.string();
}

const SerialDevice* findDevice(const std::vector<SerialDevice>& devices, const fs::path& device) {
    const fs::path wanted = resolved(device);
    for (const SerialDevice& d : devices)
        if (resolved(d.path) == wanted) return &d;
    return nullptr;
}

std::string linkLine(const PortLink& port) {
    std::string line = "port " + std::to_string(port.number) + ": " + port.link.filename().string();
    switch (port.state) {
        case PortLink::State::Device:
            return line + " -> " + port.target.string();
        case PortLink::State::PseudoTerminal:
            return line + " -> " + port.target.string() +
                   ", a pseudo-terminal (an emulator such as vostel-sim)";
        case PortLink::State::Dangling:
            return line + " -> " + port.target.string() +
                   ", which points nowhere (is the adapter unplugged?)";
        case PortLink::State::NotADevice:
            return line + " -> " + port.target.string() + ", which is not a character device";
        case PortLink::State::NotALink:
            return line + " is not a link but a file or folder of its own";
    }
    return line;
}

// The port numbers that reach something, each as its lines, and the devices
// that no number reaches.
struct Survey {
    std::map<int, std::string> rows;
    std::vector<const SerialDevice*> unreached;
};

Survey survey(const std::vector<SerialDevice>& devices, const std::vector<PortLink>& links) {
    Survey s;
    std::set<const SerialDevice*> reached;
    for (const PortLink& port : links) {
        std::string row = linkLine(port) + "\n";
        if (port.state == PortLink::State::Device) {
            if (const SerialDevice* device = findDevice(devices, port.device)) {
                row += deviceText(*device, "  ");
                reached.insert(device);
            } else {
                row += "  " + port.device.string() + ": not a serial device present here\n";
            }
        }
        s.rows[port.number] = row;
    }
    for (const SerialDevice& device : devices) {
        const int number = builtInNumber(device.path);
        if (number == 0 || s.rows.count(number)) continue;
        s.rows[number] =
            "port " + std::to_string(number) + ", by the built-in numbering:\n" + deviceText(device, "  ");
        reached.insert(&device);
    }
    for (const SerialDevice& device : devices)
        if (!reached.count(&device)) s.unreached.push_back(&device);
    return s;
}

constexpr const char* kNoDevice = "No serial device is present: check the cable and the adapter's driver.";

}  // namespace

std::string portsListing(const std::vector<SerialDevice>& devices, const std::vector<PortLink>& links,
                         const fs::path& folder) {
    Survey found = survey(devices, links);
    std::string text = "Ports folder " + folder.string() + ": port N is the link comN there, otherwise " +
                       kBuiltInPrefix + "(N-1).\n";
    for (const auto& [number, row] : found.rows) text += row;
    int free = 1;
    for (const SerialDevice* device : found.unreached) {
        while (found.rows.count(free)) ++free;
        text += "no port number yet:\n" + deviceText(*device, "  ") + "  make it port " +
                std::to_string(free) + ": " + linkCommand(free, *device) + "\n";
        found.rows[free] = {};
    }
    if (devices.empty()) text += std::string(kNoDevice) + "\n";
    return text;
}

std::string missingPortAdvice(int number, const std::vector<SerialDevice>& devices,
                              const std::vector<PortLink>& links) {
    const Survey found = survey(devices, links);
    std::string text;
    if (!found.rows.empty()) text += "Ports present:\n";
    for (const auto& [n, row] : found.rows) text += row;
    if (!found.unreached.empty()) text += "Serial devices without a port number:\n";
    for (const SerialDevice* device : found.unreached)
        text += deviceText(*device, "  ") + "  make it port " + std::to_string(number) + ": " +
                linkCommand(number, *device) + "\n";
    if (devices.empty()) text += std::string(kNoDevice) + "\n";
    text.pop_back();
    return text;
}

std::string deniedPortAdvice(const fs::path& device, const std::vector<SerialDevice>& devices) {
    SerialDevice unlisted;
    const SerialDevice* listed = findDevice(devices, device);
    if (!listed) {
        unlisted.path = device;
        unlisted.access = accessOf(device);
        listed = &unlisted;
    }
    std::string text = deviceText(*listed);
    text.pop_back();
    return text;
}

}  // namespace vostel
