#include "wayland/senders.h"

#include "wayland/fake_input_sender.h"
#include "wayland/portal_factory.h"
#include "wayland/virtual_keyboard_sender.h"

namespace vostel::wayland {

std::unique_ptr<KeystrokeSender> openSender(SenderKind kind) {
    switch (kind) {
        case SenderKind::VirtualKeyboard:
            return std::make_unique<VirtualKeyboardSender>();
        case SenderKind::KdeFakeInput:
            return std::make_unique<FakeInputSender>();
        case SenderKind::Portal:
            return makePortalSender();
        case SenderKind::XTest:
            break;
    }
    throw SenderUnavailable("not a Wayland sender");
}

}  // namespace vostel::wayland
