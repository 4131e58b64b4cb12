#pragma once
// The keysym of each named key: the numbering X11, XKB and the desktop
// portals share, so every Linux sender types the same key for a name.
#include <cstdint>

#include "action/keys.h"

namespace vostel {

std::uint32_t keysymOf(NamedKey key);

}  // namespace vostel
