#include "wayland/portal_token.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

namespace vostel::wayland {

std::filesystem::path restoreTokenPath() {
    std::filesystem::path state;
    if (const char* s = std::getenv("XDG_STATE_HOME"); s && *s == '/') {
        state = s;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        state = std::filesystem::path(home) / ".local/state";
    } else {
        return {};
    }
    return state / "vostel" / "portal-restore-token";
}

std::string loadRestoreToken(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string token;
    std::getline(in, token);
    return token;
}

bool saveRestoreToken(const std::filesystem::path& file, const std::string& token) {
    if (file.empty()) return false;
    std::error_code ec;
    if (token.empty()) return std::filesystem::remove(file, ec) || !ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    // Written beside and renamed into place, so a token is never half there.
    std::filesystem::path tmp = file;
    tmp += ".new";
    {
        std::ofstream out(tmp, std::ios::trunc);
        // The token lets a program type without asking: for the user's eyes only.
        std::filesystem::permissions(
            tmp, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ec);
        out << token << '\n';
        if (!out.flush()) return false;
    }
    std::filesystem::rename(tmp, file, ec);
    return !ec;
}

}  // namespace vostel::wayland
