#pragma once
// A ports folder of the test's own: while it lives, $XDG_CONFIG_HOME points
// into a temporary folder, so port N is the link comN made here.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace vostel::testing {

class PortsFolder {
public:
    PortsFolder() {
        ::chmod(config_.path().c_str(), 0755);  // an unprivileged child may look in here
        std::filesystem::create_directories(path());
        ::setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
    }
    ~PortsFolder() { ::unsetenv("XDG_CONFIG_HOME"); }

    const std::filesystem::path& config() const { return config_.path(); }
    std::filesystem::path path() const { return config_ / "vostel" / "ports"; }
    // Points comN at `target`, replacing an older link in one step.
    std::filesystem::path link(int number, const std::filesystem::path& target) const {
        const std::filesystem::path name = path() / ("com" + std::to_string(number));
        const std::filesystem::path fresh = path() / ("new-com" + std::to_string(number));
        std::filesystem::create_symlink(target, fresh);
        std::filesystem::rename(fresh, name);
        return name;
    }

private:
    TempDir config_;
};

}  // namespace vostel::testing
