// Stands in for the portal client in builds without it.
#include "action/sender_choice.h"
#include "wayland/portal_factory.h"

namespace vostel::wayland {

std::unique_ptr<KeystrokeSender> makePortalSender() {
    throw SenderUnavailable("the portal client is not built");
}

}  // namespace vostel::wayland
