#pragma once
// The keymap of our own virtual keyboard: one key per keysym a description
// needs, letters with both cases (Shift selects the capital), and Shift,
// Ctrl and Alt as real modifiers. Pure: the text is built here, typed by the
// virtual-keyboard sender.
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "action/keys.h"

namespace vostel::wayland {

// The keysym a Key or Char event types.
xkb_keysym_t keysymFor(const KeyEvent& e);

// A key of the keymap: its evdev code (the keymap's code less 8) and
// whether Shift selects the keysym on it.
struct OwnKey {
    std::uint32_t code;
    bool shift;
    bool operator==(const OwnKey&) const = default;
};

class OwnKeymap {
public:
    // The real modifier bits of Shift, Control and Mod1 (Alt): fixed by XKB.
    static constexpr std::uint32_t kShift = 1u << 0, kCtrl = 1u << 2, kAlt = 1u << 3;
    // How many keysyms one keymap holds beside the modifier keys.
    static constexpr std::size_t kCapacity = 255 - 12 + 1;

    OwnKeymap();
    // Makes a new keymap holding `needed` (at most kCapacity keysyms; the
    // two cases of a letter count once), keeping earlier keysyms while room remains.
    void rebuild(const std::vector<xkb_keysym_t>& needed);
    std::optional<OwnKey> find(xkb_keysym_t sym) const;
    // The key of a modifier (evdev code) and its modifier bit.
    static std::uint32_t modifierCode(Modifier m);
    static std::uint32_t modifierBit(Modifier m);
    // The keymap in XKB's text format, for the compositor.
    const std::string& text() const { return text_; }

private:
    std::vector<xkb_keysym_t> keys_;  // the base keysym of each key, from the first code on
    std::string text_;
};

// The keysym whose key holds `sym`: the small letter for a capital.
xkb_keysym_t baseOf(xkb_keysym_t sym);

}  // namespace vostel::wayland
