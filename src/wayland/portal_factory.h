#pragma once
// The RemoteDesktop portal's keystroke sender (GNOME, and KDE without fake input).
#include <memory>

#include "action/keystroke_sender.h"

namespace vostel::wayland {

// Opens the portal's keyboard session. Raises SenderUnavailable (why, in a
// few words) when the portal cannot be had.
std::unique_ptr<KeystrokeSender> makePortalSender();

}  // namespace vostel::wayland
