#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <system_error>

#include "serial/port_device.h"
#include "serial/port_names.h"
#include "serial/port_report.h"
#include "serial/serial_devices.h"

namespace vostel {

namespace {

// What the user can do about a device that may not be opened, in the same
// words as vostel-tool ports.
std::string permissionHint(const std::filesystem::path& device) {
    return "\n\n" + deniedPortAdvice(device, listSerialDevices());
}

}  // namespace

std::filesystem::path portName(int number) { return portPath(number); }

std::string portsHint(int number) {
    return " Port N is the link comN in " + portsFolder().string() +
           " when it exists, otherwise /dev/ttyS(N-1).\n\n" +
           missingPortAdvice(number, listSerialDevices(), scanPortsFolder());
}

PortDevice findPortDevice(int number, const std::filesystem::path& name) {
    namespace fs = std::filesystem;
    PortDevice found;
    found.name = name;
    found.device = found.name;
    std::error_code ec;
    if (fs::is_symlink(found.name, ec)) {
        fs::path target = fs::read_symlink(found.name, ec);
        if (!ec) found.device = target.is_absolute() ? target : found.name.parent_path() / target;
    }
    const fs::path resolved = fs::canonical(found.name, ec);
    if (ec) {
        const std::string port = describePort(number, found.name, found.device);
        if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)
            found.error = RuntimeError(kErrInvalidPort, "Invalid Port Number: " + port + " does not exist (" +
                                                            ec.message() + ")." + portsHint(number));
        else
            found.error = RuntimeError(
                kErrInvalidPort, "Invalid Port Number: " + port + " cannot be opened (" + ec.message() + ")");
        return found;
    }
    found.device = resolved;
    if (::faccessat(AT_FDCWD, found.device.c_str(), R_OK | W_OK, AT_EACCESS) != 0) {
        const int err = errno;
        if (err == EACCES || err == EPERM)
            found.error = RuntimeError(kErrPermissionDenied,
                                       "Permission denied: cannot open " +
                                           describePort(number, found.name, found.device) + " (" +
                                           std::strerror(err) + ")." + permissionHint(found.device));
    }
    return found;
}

std::string portHolder(const std::filesystem::path& device) {
    namespace fs = std::filesystem;
    // The lock's name is the device's path below /dev with '/' as '_': LCK..ttyUSB0, LCK..pts_3.
    std::string name = device.lexically_relative("/dev").string();
    if (name.empty() || name.starts_with("..")) name = device.filename().string();
    for (char& c : name)
        if (c == '/') c = '_';
    std::error_code ec;
    for (const fs::path& folder :
         {fs::path("/var/lock"), fs::path("/run/lock"), fs::temp_directory_path(ec)}) {
        std::ifstream lock(folder / ("LCK.." + name));
        long pid = 0;
        std::string program;
        if (!(lock >> pid) || pid <= 0) continue;
        lock >> program;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            continue;  // left by a program that ended
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string running;
        if (std::getline(comm, running) && !running.empty()) program = running;
        return (program.empty() ? "a program" : program) + ", process " + std::to_string(pid);
    }
    return {};
}

bool isPseudoTerminal(const std::filesystem::path& device) {
    struct stat st {};
    return ::stat(device.c_str(), &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
           major(st.st_rdev) <= 143;
}

std::optional<LinkId> lastLink(std::filesystem::path name) {
    std::optional<LinkId> last;
    for (int hop = 0; hop < 40; ++hop) {  // the system's own limit on a chain of links
        struct stat st {};
        if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        last = LinkId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                      static_cast<std::int64_t>(st.st_ctim.tv_sec),
                      static_cast<std::int64_t>(st.st_ctim.tv_nsec)};
        std::error_code ec;
        const std::filesystem::path target = std::filesystem::read_symlink(name, ec);
        if (ec) break;
        name = target.is_absolute() ? target : name.parent_path() / target;
    }
    return last;
}

}  // namespace vostel
