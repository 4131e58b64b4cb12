#include "serial/port_names.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace vostel {

std::filesystem::path portsFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path base;
    if (config && *config) {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : "/") / ".config";
    }
    return base / "vostel" / "ports";
}

std::filesystem::path portPath(int number, const std::filesystem::path& devices) {
    std::filesystem::path link = portsFolder() / ("com" + std::to_string(number));
    std::error_code ec;
    if (std::filesystem::is_symlink(link, ec) || std::filesystem::exists(link, ec)) return link;
    return devices / ("ttyS" + std::to_string(number - 1));
}

}  // namespace vostel
