#include "serial/serial_devices.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace vostel {

namespace fs = std::filesystem;

namespace {

constexpr mode_t kReadWriteOwner = S_IRUSR | S_IWUSR;
constexpr mode_t kReadWriteGroup = S_IRGRP | S_IWGRP;
constexpr mode_t kReadWriteOthers = S_IROTH | S_IWOTH;

bool contains(const std::vector<gid_t>& groups, gid_t gid) {
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

bool allows(mode_t mode, mode_t bits) { return (mode & bits) == bits; }

std::string groupName(gid_t gid) {
    const group* g = ::getgrgid(gid);
    return g ? g->gr_name : std::to_string(gid);
}

std::string userName(uid_t uid) {
    const passwd* p = ::getpwuid(uid);
    return p ? p->pw_name : std::to_string(uid);
}

// The first line of a sysfs attribute; empty if there is none.
std::string attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\n')) line.pop_back();
    return line;
}

// ttyS2 before ttyS10: the name's letters, then its number.
bool naturalLess(const fs::path& a, const fs::path& b) {
    auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && s[digits - 1] >= '0' && s[digits - 1] <= '9') --digits;
        const std::string number = s.substr(digits);
        return std::make_pair(s.substr(0, digits), number.empty() ? -1L : std::stol(number));
    };
    return split(a.string()) < split(b.string());
}

// Fills in what the USB device above a tty tells of itself: its product,
// maker and serial number. Built-in ports have no such ancestor.
void describeFromSysfs(const fs::path& sysEntry, SerialDevice& device) {
    std::error_code ec;
    fs::path node = fs::canonical(sysEntry / "device", ec);
    for (; !ec && node.has_relative_path() && node != "/sys/devices"; node = node.parent_path()) {
        if (!fs::exists(node / "idVendor", ec)) continue;
        device.description = attribute(node / "product");
        device.maker = attribute(node / "manufacturer");
        device.serialNumber = attribute(node / "serial");
        if (device.description.empty())
            device.description =
                "USB device " + attribute(node / "idVendor") + ":" + attribute(node / "idProduct");
        return;
    }
    const std::string name = sysEntry.filename().string();
    if (name.rfind("ttyS", 0) == 0) {
        device.description = "built-in serial port";
        return;
    }
    const fs::path driver = fs::read_symlink(sysEntry / "device" / "driver", ec);
    device.description = ec ? "serial device" : "serial device (driver " + driver.filename().string() + ")";
}

}  // namespace

DeviceAccess judgeAccess(const NodeOwner& node, const Credentials& user) {
    DeviceAccess access;
    access.group = node.groupName.empty() ? std::to_string(node.gid) : node.groupName;
    if (user.uid == 0) return access;
    // The kernel uses one class only: the owner's bits for the owner, the
    // group's for a member, the others' for the rest.
    bool allowed;
    if (node.uid == user.uid)
        allowed = allows(node.mode, kReadWriteOwner);
    else if (contains(user.groups, node.gid))
        allowed = allows(node.mode, kReadWriteGroup);
    else
        allowed = allows(node.mode, kReadWriteOthers);
    if (allowed) return access;

    const bool groupMay = allows(node.mode, kReadWriteGroup);
    if (node.uid != user.uid && groupMay && !contains(user.groups, node.gid)) {
        access.kind = contains(user.accountGroups, node.gid) ? DeviceAccess::Kind::LoginAgain
                                                             : DeviceAccess::Kind::JoinGroup;
        return access;
    }
    access.kind = DeviceAccess::Kind::Denied;
    access.owner = userName(node.uid);
    access.mode = node.mode & 07777;
    return access;
}

Credentials currentCredentials() {
    Credentials user;
    user.uid = ::geteuid();
    user.groups.push_back(::getegid());
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> extra(static_cast<std::size_t>(count));
        const int got = ::getgroups(count, extra.data());
        if (got > 0) user.groups.insert(user.groups.end(), extra.begin(), extra.begin() + got);
    }
    if (const passwd* p = ::getpwuid(user.uid)) {
        int n = 64;
        std::vector<gid_t> all(static_cast<std::size_t>(n));
        if (::getgrouplist(p->pw_name, p->pw_gid, all.data(), &n) < 0) {
            all.resize(static_cast<std::size_t>(n));
            ::getgrouplist(p->pw_name, p->pw_gid, all.data(), &n);
        }
        all.resize(static_cast<std::size_t>(std::max(n, 0)));
        user.accountGroups = all;
    }
    return user;
}

DeviceAccess accessOf(const fs::path& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) return {};
    const NodeOwner node{st.st_mode, st.st_uid, st.st_gid, groupName(st.st_gid)};
    DeviceAccess access = judgeAccess(node, currentCredentials());
    // An access control list may grant what the bits do not.
    if (access.kind != DeviceAccess::Kind::Allowed &&
        ::faccessat(AT_FDCWD, device.c_str(), R_OK | W_OK, AT_EACCESS) == 0)
        access.kind = DeviceAccess::Kind::Allowed;
    return access;
}

std::vector<SerialDevice> listSerialDevices() {
    std::vector<SerialDevice> devices;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator("/sys/class/tty", ec)) {
        const fs::path sys = entry.path();
        std::error_code entryError;
        if (!fs::exists(sys / "device", entryError)) continue;
        // The serial core lists every UART it could drive; type 0 means none is there.
        if (fs::exists(sys / "type", entryError) && attribute(sys / "type") == "0") continue;
        SerialDevice device;
        device.path = fs::path("/dev") / sys.filename();
        if (!fs::exists(device.path, entryError)) continue;
        describeFromSysfs(sys, device);
        device.byId = stableName(device.path);
        device.access = accessOf(device.path);
        devices.push_back(std::move(device));
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return naturalLess(a.path, b.path); });
    return devices;
}

fs::path stableName(const fs::path& device, const fs::path& byIdFolder) {
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec) return {};
    std::vector<fs::path> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(byIdFolder, ec)) {
        std::error_code entryError;
        if (fs::canonical(entry.path(), entryError) == target && !entryError) names.push_back(entry.path());
    }
    // One adapter may have several names (one per interface); take the same one every time.
    std::sort(names.begin(), names.end());
    return names.empty() ? fs::path() : names.front();
}

std::string accessText(const DeviceAccess& access) {
    switch (access.kind) {
        case DeviceAccess::Kind::Allowed:
            return "you may open it";
        case DeviceAccess::Kind::JoinGroup:
            return "you may not open it: the group " + access.group +
                   " may; join it with sudo adduser \"$USER\" " + access.group + ", then log in again";
        case DeviceAccess::Kind::LoginAgain:
            return "you may not open it yet: you are in the group " + access.group +
                   " now, but this login started before; log in again";
        case DeviceAccess::Kind::Denied: {
            char mode[8];
            std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(access.mode));
            return "you may not open it (owner " + access.owner + ", group " + access.group + ", mode " +
                   mode +
                   "); serial devices usually belong to the group dialout, whose members may open them";
        }
    }
    return {};
}

std::string deviceText(const SerialDevice& device, const std::string& indent) {
    std::string about = device.description;
    std::string details;
    if (!device.maker.empty()) details = "made by " + device.maker;
    if (!device.serialNumber.empty())
        details += (details.empty() ? "" : ", ") + std::string("serial number ") + device.serialNumber;
    if (!details.empty()) about += about.empty() ? details : " (" + details + ")";

    std::string text = indent + device.path.string() + (about.empty() ? "" : ": " + about) + "\n";
    if (!device.byId.empty()) text += indent + "  stable name " + device.byId.string() + "\n";
    return text + indent + "  " + accessText(device.access) + "\n";
}

}  // namespace vostel
