#include "wayland/seat_layout.h"

#include <algorithm>
#include <memory>
#include <string>

#include "runtime/cp1252.h"
#include "runtime/error.h"
#include "wayland/keymap.h"

namespace vostel::wayland {
namespace {

constexpr std::uint32_t kEvdevOffset = 8;  // XKB key codes are evdev codes plus 8

struct StateFree {
    void operator()(xkb_state* s) const { xkb_state_unref(s); }
};

[[noreturn]] void reject(const std::string& what) {
    throw RuntimeError(kErrInvalidCall, std::string(standardErrorText(kErrInvalidCall)) + ": " + what);
}

// For messages: 'c' for a character, "the key NAME" for a named key.
std::string describe(const KeyEvent& e) {
    if (e.kind == KeyEvent::Kind::Char) {
        std::string quoted(1, '\'');  // built up in steps: GCC 12 warns falsely on a + b + c here
        quoted += encodeUtf8(std::u32string(1, e.ch));
        quoted += '\'';
        return quoted;
    }
    char name[64];
    xkb_keysym_get_name(keysymFor(e), name, sizeof name);
    return std::string("the key ") + name;
}

}  // namespace

SeatLayout::SeatLayout(xkb_keymap* keymap, xkb_layout_index_t layout) {
    const xkb_keycode_t first = xkb_keymap_min_keycode(keymap), last = xkb_keymap_max_keycode(keymap);
    auto keyOf = [&](std::initializer_list<xkb_keysym_t> syms) -> xkb_keycode_t {
        for (xkb_keysym_t want : syms)
            for (xkb_keycode_t code = first; code <= last; ++code) {
                const xkb_keysym_t* got = nullptr;
                if (xkb_keymap_key_get_syms_by_level(keymap, code, layout, 0, &got) > 0 && got[0] == want)
                    return code;
            }
        return 0;
    };
    const xkb_keycode_t shift = keyOf({XKB_KEY_Shift_L, XKB_KEY_Shift_R});
    const xkb_keycode_t level3 = keyOf({XKB_KEY_ISO_Level3_Shift, XKB_KEY_Mode_switch});
    for (auto [m, code] : {std::pair{Modifier::Shift, shift},
                           {Modifier::Ctrl, keyOf({XKB_KEY_Control_L, XKB_KEY_Control_R})},
                           {Modifier::Alt, keyOf({XKB_KEY_Alt_L, XKB_KEY_Meta_L, XKB_KEY_Alt_R})}})
        modifiers_[static_cast<int>(m)] = code ? code - kEvdevOffset : 0;

    // Each way of holding Shift and AltGr, fewest keys first, as the
    // compositor's own state would see the keys go down. Key codes an X
    // server can have (up to 255) come first: XWayland windows see no others.
    std::vector<std::vector<xkb_keycode_t>> holds{{}};
    if (shift) holds.push_back({shift});
    if (level3) holds.push_back({level3});
    if (shift && level3) holds.push_back({shift, level3});
    constexpr xkb_keycode_t kLastX11Code = 255;
    for (auto [from, to] : {std::pair{first, std::min(last, kLastX11Code)},
                            std::pair{std::max(first, kLastX11Code + 1), last}}) {
        for (const auto& hold : holds) {
            std::unique_ptr<xkb_state, StateFree> state(xkb_state_new(keymap));
            if (!state) continue;
            xkb_state_update_mask(state.get(), 0, 0, 0, 0, 0, layout);
            for (xkb_keycode_t k : hold) xkb_state_update_key(state.get(), k, XKB_KEY_DOWN);
            Stroke stroke{0, {}};
            for (xkb_keycode_t k : hold) stroke.hold.push_back(k - kEvdevOffset);
            for (xkb_keycode_t code = from; code <= to; ++code) {
                const xkb_keysym_t sym = xkb_state_key_get_one_sym(state.get(), code);
                if (sym == XKB_KEY_NoSymbol || code == shift || code == level3) continue;
                stroke.code = code - kEvdevOffset;
                strokes_.try_emplace(sym, stroke);
            }
        }
    }
}

std::optional<SeatLayout::Stroke> SeatLayout::find(xkb_keysym_t sym) const {
    auto it = strokes_.find(sym);
    if (it == strokes_.end()) return std::nullopt;
    return it->second;
}

std::vector<SeatLayout::Stroke> SeatLayout::plan(const std::vector<KeyEvent>& events) const {
    static constexpr const char* kNames[] = {"Shift", "Ctrl", "Alt"};
    std::vector<Stroke> strokes;
    for (const KeyEvent& e : events) {
        if (e.kind == KeyEvent::Kind::Press || e.kind == KeyEvent::Kind::Release) {
            if (!modifierKey(e.modifier))
                reject(std::string("the keyboard layout has no ") + kNames[static_cast<int>(e.modifier)] +
                       " key");
            continue;
        }
        std::optional<Stroke> s = find(keysymFor(e));
        if (!s && e.kind == KeyEvent::Kind::Char) s = find(0x01000000u | e.ch);  // its Unicode keysym
        if (!s) reject("cannot type " + describe(e) + ": the keyboard layout has no key for it");
        strokes.push_back(*s);
    }
    return strokes;
}

}  // namespace vostel::wayland
