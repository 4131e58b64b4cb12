#include "runtime/xdg.h"

#include <cstdlib>

namespace vostel {

std::filesystem::path xdgFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value && std::filesystem::path(value).is_absolute()) return value;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/") / fallback;
}

}  // namespace vostel
