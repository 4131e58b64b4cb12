#pragma once
// The keyboard map of an X display read through XKB: which key, with which
// modifiers held, types a keysym in the current group and lock state.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <array>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "action/keys.h"
#include "runtime/error.h"
#include "x11/keysyms.h"

namespace vostel::x11 {

// The X server refused a request.
inline constexpr int kErrRefused = kErrDeviceIO;

// Raises error `number` with its standard text and `what`.
[[noreturn]] void fail(int number, const std::string& what);

// A key to tap and the real modifiers to hold around it.
struct Stroke {
    KeyCode code;
    unsigned mods;
};

struct ModifierKey {
    KeyCode code = 0;
    unsigned mods = 0;  // the real modifiers it sets
};

// The keyboard map and the state (group, locked modifiers) at this moment.
class Layout {
public:
    explicit Layout(Display* d);

    int minCode() const { return xkb_->min_key_code; }
    int maxCode() const { return xkb_->max_key_code; }

    const ModifierKey& key(Modifier m) const { return modKeys_[static_cast<int>(m)]; }
    // The key that types `w` with the fewest modifiers held.
    std::optional<Stroke> find(const Wanted& w) const;
    // The key of the modifier keys we can hold that sets `bit`.
    KeyCode keyForMod(unsigned bit) const;
    KeySym baseSym(int code) const;
    // A key code with no symbols and no modifier: free for a binding.
    bool isEmpty(int code) const;
    bool isModifierKey(int code) const;

private:
    struct XkbFree {
        void operator()(XkbDescPtr p) const { XkbFreeKeyboard(p, 0, True); }
    };

    int effectiveGroup(int code) const;
    int levelFor(XkbKeyTypePtr type, unsigned mods) const;
    // The smallest set of holdable modifiers that, with the locked ones
    // (Caps Lock, Num Lock), selects `level` of a key of this type.
    std::optional<unsigned> modsForLevel(XkbKeyTypePtr type, int level) const;
    ModifierKey modifierKey(std::initializer_list<KeySym> syms) const;

    std::unique_ptr<XkbDescRec, XkbFree> xkb_;
    int group_ = 0;
    unsigned locked_ = 0;
    std::array<ModifierKey, 4> modKeys_;  // Shift, Ctrl, Alt, AltGr (level 3)
};

}  // namespace vostel::x11
