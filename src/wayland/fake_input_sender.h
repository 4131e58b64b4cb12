#pragma once
// Types key descriptions through KDE's fake input (org_kde_kwin_fake_input),
// with the key codes of the seat's keymap: the user's own layout.
#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <optional>
#include <string_view>

#include "action/keystroke_sender.h"
#include "wayland/connection.h"
#include "wayland/seat_layout.h"

struct wl_seat;
struct wl_keyboard;
struct org_kde_kwin_fake_input;

namespace vostel::wayland {

class FakeInputSender final : public KeystrokeSender {
public:
    // Binds the interface and reads the seat's keymap. Raises
    // SenderUnavailable when the compositor does not offer it (KWin offers it
    // only to a program whose installed desktop entry asks for it).
    FakeInputSender();
    ~FakeInputSender() override;

    // Parses the whole description and finds every key in the layout before
    // typing (error 5 naming a character the layout lacks).
    void sendKeys(std::string_view keys, bool wait) override;

    // For the keyboard's listener.
    void setKeymap(int fd, std::uint32_t size);
    void setLayout(xkb_layout_index_t layout);

private:
    void key(std::uint32_t code, bool down);

    Connection connection_;
    org_kde_kwin_fake_input* fake_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_layout_index_t layoutIndex_ = 0;
    std::optional<SeatLayout> layout_;
};

}  // namespace vostel::wayland
