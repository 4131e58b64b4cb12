#pragma once
// The seat's keymap (the user's layout): which key, with which modifier keys
// held, types a keysym. For senders that type the compositor's own key codes.
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "action/keys.h"

namespace vostel::wayland {

class SeatLayout {
public:
    // A key to tap and the modifier keys to hold around it (evdev codes).
    struct Stroke {
        std::uint32_t code;
        std::vector<std::uint32_t> hold;
        bool operator==(const Stroke&) const = default;
    };

    // Reads `keymap` in `layout` (the active group) with no lock held.
    SeatLayout(xkb_keymap* keymap, xkb_layout_index_t layout);

    // The key that types `sym` with the fewest modifier keys held.
    std::optional<Stroke> find(xkb_keysym_t sym) const;
    // The key of Shift, Ctrl or Alt (0 when the layout has none).
    std::uint32_t modifierKey(Modifier m) const { return modifiers_[static_cast<int>(m)]; }
    // The stroke of each Key and Char event, in order, before anything is
    // typed. A key the layout lacks: RuntimeError 5 naming it.
    std::vector<Stroke> plan(const std::vector<KeyEvent>& events) const;

private:
    std::unordered_map<xkb_keysym_t, Stroke> strokes_;
    std::array<std::uint32_t, 3> modifiers_{};
};

}  // namespace vostel::wayland
