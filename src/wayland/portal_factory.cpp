#include <optional>

#include "action/sender_choice.h"
#include "wayland/portal_factory.h"
#include "wayland/portal_sender.h"
#include "wayland/portal_token.h"

namespace vostel::wayland {

std::unique_ptr<KeystrokeSender> makePortalSender() {
    // A refusal holds for the program's life: later keys do not ask again.
    static std::optional<SenderFailed> refused;
    if (refused) throw *refused;
    try {
        return std::make_unique<PortalSender>(restoreTokenPath());
    } catch (const SenderFailed& e) {
        refused = e;
        throw;
    }
}

}  // namespace vostel::wayland
