#include "serial/port_names.h"

#include <string>
#include <system_error>

#include "runtime/xdg.h"

namespace vostel {

std::filesystem::path portsFolder() { return xdgFolder("XDG_CONFIG_HOME", ".config") / "vostel" / "ports"; }

std::filesystem::path portPath(int number, const std::filesystem::path& devices) {
    std::filesystem::path link = portsFolder() / ("com" + std::to_string(number));
    std::error_code ec;
    if (std::filesystem::is_symlink(link, ec) || std::filesystem::exists(link, ec)) return link;
    return devices / ("ttyS" + std::to_string(number - 1));
}

}  // namespace vostel
