#pragma once
// Whether the desktop program runs in a folder. Vostel holds the library of
// its working folder in memory and writes all of it at every recording, so a
// change made to that file meanwhile is lost unless it is loaded again.
#include <filesystem>
#include <optional>
#include <vector>

namespace vostel {

// The process IDs of the running `vostel` programs whose working folder is
// `folder`, from the system's process list; an empty list when there are
// none, and nothing when the system does not tell.
std::optional<std::vector<long>> vostelsRunningIn(const std::filesystem::path& folder);

}  // namespace vostel
