#include "serial/port_links.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "serial/port_device.h"
#include "serial/serial_devices.h"

namespace vostel {

namespace fs = std::filesystem;

namespace {

// N of a name comN, or 0 when the name is not one that portPath() gives.
int portNumberOf(const std::string& name) {
    if (name.size() < 4 || name.compare(0, 3, "com") != 0 || name[3] == '0' || name.size() > 8) return 0;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number <= kMaxPortNumber ? number : 0;
}

std::string linkName(int number) { return "com" + std::to_string(number); }

void checkNumber(int number) {
    if (number < 1 || number > kMaxPortNumber)
        throw PortSetupError("bad port number " + std::to_string(number) + " (a whole number from 1 to " +
                             std::to_string(kMaxPortNumber) + " is needed)");
}

// Why `device` (a character device) is no serial line, or "" when it is one of
// the serial devices present.
std::string notASerialLine(const fs::path& device) {
    if (isPseudoTerminal(device))
        return device.string() +
               " is a pseudo-terminal (an emulator's end, such as vostel-sim's, or a terminal window), "
               "not a serial line";
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    for (const SerialDevice& d : listSerialDevices())
        if (fs::canonical(d.path, ec) == real) return {};
    return device.string() + " is not a serial line (vostel-tool ports lists the serial devices present)";
}

}  // namespace

void checkPortsFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::exists(folder, ec) && !fs::is_directory(folder, ec))
        throw PortSetupError(
            "the ports folder " + folder.string() +
            " is not a folder but a file; move it away, and vostel-tool link makes the folder");
}

std::vector<PortLink> scanPortsFolder(const fs::path& folder) {
    std::vector<PortLink> links;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        PortLink port;
        port.number = portNumberOf(entry.path().filename().string());
        if (port.number == 0) continue;
        port.link = entry.path();
        struct stat st {};
        if (::lstat(port.link.c_str(), &st) != 0) continue;  // gone meanwhile
        if (!S_ISLNK(st.st_mode)) {
            port.state = PortLink::State::NotALink;
            port.device = port.link;
        } else {
            std::error_code linkError;
            port.target = fs::read_symlink(port.link, linkError);
            if (::stat(port.link.c_str(), &st) != 0) {
                port.state = PortLink::State::Dangling;
            } else {
                port.device = fs::canonical(port.link, linkError);
                port.state = isPseudoTerminal(port.link) ? PortLink::State::PseudoTerminal
                             : S_ISCHR(st.st_mode)       ? PortLink::State::Device
                                                         : PortLink::State::NotADevice;
            }
        }
        links.push_back(std::move(port));
    }
    std::sort(links.begin(), links.end(),
              [](const PortLink& a, const PortLink& b) { return a.number < b.number; });
    return links;
}

LinkMade linkPort(int number, const fs::path& device, bool force, const fs::path& folder,
                  const fs::path& byIdFolder) {
    checkNumber(number);
    checkPortsFolder(folder);
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0)
        throw PortSetupError(device.string() + " cannot be used (" + std::strerror(errno) + ")");
    if (!S_ISCHR(st.st_mode))
        throw PortSetupError(device.string() + " is not a character device, so it is no serial port");

    fs::path target = stableName(device, byIdFolder);
    if (target.empty()) target = fs::absolute(device).lexically_normal();
    // A name inside the ports folder (another port's link) could lead back to this one.
    if (target.parent_path() == fs::absolute(folder).lexically_normal()) target = fs::canonical(device);

    const fs::path link = folder / linkName(number);
    struct stat old {};
    if (::lstat(link.c_str(), &old) == 0) {
        std::error_code ec;
        if (!S_ISLNK(old.st_mode))
            throw PortSetupError(link.string() + " is not a link; it is left as it is");
        if (fs::read_symlink(link, ec) == target) return {target, true};
        if (!force)
            throw PortSetupError("port " + std::to_string(number) + " is already " + link.string() + " -> " +
                                 fs::read_symlink(link, ec).string() + " (--force replaces it)");
    }
    if (!force) {
        const std::string why = notASerialLine(device);
        if (!why.empty()) throw PortSetupError(why + "; --force links it anyway");
    }

    fs::create_directories(folder);
    // Made beside and renamed into place: the port never lacks a link halfway.
    const fs::path fresh = folder / (linkName(number) + ".new");
    std::error_code ec;
    fs::remove(fresh, ec);
    fs::create_symlink(target, fresh);
    fs::rename(fresh, link, ec);
    if (ec) {
        fs::remove(fresh);
        throw PortSetupError("cannot make " + link.string() + " (" + ec.message() + ")");
    }
    return {target, false};
}

void unlinkPort(int number, const fs::path& folder) {
    checkNumber(number);
    checkPortsFolder(folder);
    const fs::path link = folder / linkName(number);
    struct stat st {};
    if (::lstat(link.c_str(), &st) != 0)
        throw PortSetupError("port " + std::to_string(number) + " has no link: " + link.string() + " (" +
                             std::strerror(errno) + ")");
    if (!S_ISLNK(st.st_mode)) throw PortSetupError(link.string() + " is not a link; it is left as it is");
    fs::remove(link);
}

}  // namespace vostel
