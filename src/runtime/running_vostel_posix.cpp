// The process list of Linux: /proc/PID/cwd is each process's working folder,
// /proc/PID/exe its program file and /proc/PID/comm its name.
#include <cctype>
#include <fstream>
#include <string>
#include <system_error>

#include "runtime/running_vostel.h"

namespace vostel {

namespace fs = std::filesystem;

namespace {

// The program vostel, also rebuilt since it started, or vostel.exe under Wine.
bool isVostel(const fs::path& process) {
    std::error_code ec;
    const std::string exe = fs::read_symlink(process / "exe", ec).filename().string();
    if (exe == "vostel" || exe == "vostel (deleted)") return true;
    std::ifstream comm(process / "comm");
    std::string name;
    return std::getline(comm, name) && (name == "vostel" || name == "vostel.exe");
}

}  // namespace

std::optional<std::vector<long>> vostelsRunningIn(const fs::path& folder) {
    std::error_code ec;
    const fs::path wanted = fs::canonical(folder, ec);
    if (ec || !fs::is_directory("/proc/self", ec)) return std::nullopt;
    std::vector<long> found;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
        std::error_code entryError;
        // Readable for one's own processes only; the others cannot hold one's library.
        if (fs::read_symlink(entry.path() / "cwd", entryError) != wanted || entryError) continue;
        if (isVostel(entry.path())) found.push_back(std::stol(name));
    }
    return found;
}

}  // namespace vostel
