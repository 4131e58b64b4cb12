#pragma once
// Where the RemoteDesktop portal's restore token is kept between starts:
// ${XDG_STATE_HOME:-~/.local/state}/vostel/portal-restore-token.
#include <filesystem>
#include <string>

namespace vostel::wayland {

// The token's file. A relative XDG_STATE_HOME is ignored, as the XDG base
// directories ask; empty when neither it nor HOME gives a folder.
std::filesystem::path restoreTokenPath();

// The stored token; empty when there is none.
std::string loadRestoreToken(const std::filesystem::path& file);

// Replaces the stored token (an empty token removes it). A token that cannot
// be stored only means the desktop asks again at the next start: false then.
bool saveRestoreToken(const std::filesystem::path& file, const std::string& token);

}  // namespace vostel::wayland
