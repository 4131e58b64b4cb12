#pragma once
// The keystroke senders of a Linux desktop, opened on request for the
// sender choice (action/sender_choice.h): the Wayland ones here, XTest from the X11 edge.
#include <memory>

#include "action/sender_choice.h"

namespace vostel::wayland {

// Opens the Wayland sender of `kind`; SenderUnavailable when it cannot.
std::unique_ptr<KeystrokeSender> openSender(SenderKind kind);

}  // namespace vostel::wayland
