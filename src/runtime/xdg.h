#pragma once
// The per-user base folders of the XDG base directory rules.
#include <filesystem>

namespace vostel {

// The folder named by the environment variable `variable` (XDG_CONFIG_HOME,
// XDG_DATA_HOME, XDG_STATE_HOME) when it holds an absolute path; otherwise,
// as the rules say for an unset, empty or relative value, $HOME/`fallback`
// (".config", ".local/share", ".local/state").
std::filesystem::path xdgFolder(const char* variable, const char* fallback);

}  // namespace vostel
