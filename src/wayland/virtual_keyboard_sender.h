#pragma once
// Types key descriptions through the compositor's virtual keyboard
// (zwp_virtual_keyboard_manager_v1: sway and the other wlroots compositors),
// with a keymap of our own that holds exactly the keys typed.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "action/keystroke_sender.h"
#include "wayland/connection.h"
#include "wayland/keymap.h"

struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

namespace vostel::wayland {

class VirtualKeyboardSender final : public KeystrokeSender {
public:
    // Creates the keyboard device, kept until the sender goes. Raises
    // SenderUnavailable when the compositor does not offer one.
    VirtualKeyboardSender();
    ~VirtualKeyboardSender() override;

    // Parses the whole description first (error 5, nothing typed), uploads
    // a new keymap only when it lacks a key the description needs, types,
    // and returns once the compositor has taken the keys. A lost compositor:
    // error 68.
    void sendKeys(std::string_view keys, bool wait) override;

private:
    void upload(const std::vector<KeyEvent>& events, std::size_t from);
    void key(std::uint32_t code, bool down);
    void modifiers(std::uint32_t mask);

    Connection connection_;
    wl_seat* seat_ = nullptr;
    zwp_virtual_keyboard_manager_v1* manager_ = nullptr;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    OwnKeymap keymap_;
    bool uploaded_ = false;
    std::uint32_t held_ = 0;  // the description's modifiers while it is typed
};

}  // namespace vostel::wayland
