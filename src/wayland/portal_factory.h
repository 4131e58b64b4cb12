#pragma once
// The RemoteDesktop portal's keystroke sender (GNOME, and KDE without fake input).
#include <memory>

#include "action/keystroke_sender.h"

namespace vostel::wayland {

// Opens the portal's keyboard session. Raises SenderUnavailable (why, in a
// few words) when the portal cannot be had, and SenderFailed (error 68) when
// the desktop refuses; a refusal is raised again without asking, for the
// program's life.
std::unique_ptr<KeystrokeSender> makePortalSender();

}  // namespace vostel::wayland
