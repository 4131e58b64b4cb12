#include "wayland/keymap.h"

#include <algorithm>

#include "action/keysyms.h"

namespace vostel::wayland {
namespace {

// Key codes in the keymap (evdev + 8): the three modifiers, then ours.
constexpr std::uint32_t kShiftKey = 9, kCtrlKey = 10, kAltKey = 11, kFirstKey = 12;

std::string keyName(std::uint32_t code) { return "<I" + std::to_string(code) + ">"; }

std::string symName(xkb_keysym_t sym) {
    char name[64];
    if (xkb_keysym_get_name(sym, name, sizeof name) < 0) return "NoSymbol";
    return name;
}

// A small letter whose capital turns back into it: one key holds both.
bool hasCapital(xkb_keysym_t sym) {
    xkb_keysym_t upper = xkb_keysym_to_upper(sym);
    return upper != sym && xkb_keysym_to_lower(upper) == sym;
}

}  // namespace

xkb_keysym_t keysymFor(const KeyEvent& e) {
    if (e.kind == KeyEvent::Kind::Key) return keysymOf(e.key);
    return xkb_utf32_to_keysym(static_cast<std::uint32_t>(e.ch));
}

xkb_keysym_t baseOf(xkb_keysym_t sym) {
    xkb_keysym_t lower = xkb_keysym_to_lower(sym);
    return lower != sym && hasCapital(lower) && xkb_keysym_to_upper(lower) == sym ? lower : sym;
}

OwnKeymap::OwnKeymap() { rebuild({}); }

void OwnKeymap::rebuild(const std::vector<xkb_keysym_t>& needed) {
    std::vector<xkb_keysym_t> keys;
    auto add = [&](xkb_keysym_t sym) {
        xkb_keysym_t base = baseOf(sym);
        if (keys.size() < kCapacity && std::find(keys.begin(), keys.end(), base) == keys.end())
            keys.push_back(base);
    };
    for (xkb_keysym_t sym : needed) add(sym);
    for (xkb_keysym_t sym : keys_) add(sym);
    keys_ = std::move(keys);

    std::string codes, symbols;
    for (std::uint32_t code = kShiftKey; code < kFirstKey + keys_.size(); ++code)
        codes += "    " + keyName(code) + " = " + std::to_string(code) + ";\n";
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        xkb_keysym_t sym = keys_[i];
        std::string key = "    key " + keyName(kFirstKey + static_cast<std::uint32_t>(i)) + " { ";
        if (hasCapital(sym))
            key += "type = \"ALPHABETIC\", [ " + symName(sym) + ", " + symName(xkb_keysym_to_upper(sym)) +
                   " ] };\n";
        else
            key += "[ " + symName(sym) + " ] };\n";
        symbols += key;
    }
    text_ =
        "xkb_keymap {\n"
        "xkb_keycodes \"vostel\" {\n    minimum = 8;\n    maximum = 255;\n" +
        codes +
        "};\n"
        "xkb_types \"vostel\" {\n"
        "    type \"ONE_LEVEL\" { modifiers = none; level_name[Level1] = \"Any\"; };\n"
        "    type \"ALPHABETIC\" {\n        modifiers = Shift+Lock;\n"
        "        map[Shift] = Level2;\n        map[Lock] = Level2;\n"
        "        level_name[Level1] = \"Base\";\n        level_name[Level2] = \"Caps\";\n    };\n"
        "};\n"
        "xkb_compatibility \"vostel\" {\n"
        "    interpret Any+AnyOf(all) { action = SetMods(modifiers=modMapMods,clearLocks); };\n"
        "};\n"
        "xkb_symbols \"vostel\" {\n"
        "    key " +
        keyName(kShiftKey) +
        " { [ Shift_L ] };\n"
        "    key " +
        keyName(kCtrlKey) +
        " { [ Control_L ] };\n"
        "    key " +
        keyName(kAltKey) +
        " { [ Alt_L ] };\n"
        "    modifier_map Shift { " +
        keyName(kShiftKey) +
        " };\n"
        "    modifier_map Control { " +
        keyName(kCtrlKey) +
        " };\n"
        "    modifier_map Mod1 { " +
        keyName(kAltKey) + " };\n" + symbols + "};\n};\n";
}

std::optional<OwnKey> OwnKeymap::find(xkb_keysym_t sym) const {
    auto it = std::find(keys_.begin(), keys_.end(), baseOf(sym));
    if (it == keys_.end()) return std::nullopt;
    std::uint32_t code = kFirstKey + static_cast<std::uint32_t>(it - keys_.begin()) - 8;
    return OwnKey{code, sym != *it};
}

std::uint32_t OwnKeymap::modifierCode(Modifier m) {
    switch (m) {
        case Modifier::Shift:
            return kShiftKey - 8;
        case Modifier::Ctrl:
            return kCtrlKey - 8;
        case Modifier::Alt:
            return kAltKey - 8;
    }
    return 0;
}

std::uint32_t OwnKeymap::modifierBit(Modifier m) {
    switch (m) {
        case Modifier::Shift:
            return kShift;
        case Modifier::Ctrl:
            return kCtrl;
        case Modifier::Alt:
            return kAlt;
    }
    return 0;
}

}  // namespace vostel::wayland
