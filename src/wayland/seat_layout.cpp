#include "wayland/seat_layout.h"

#include <memory>

namespace vostel::wayland {
namespace {

constexpr std::uint32_t kEvdevOffset = 8;  // XKB key codes are evdev codes plus 8

struct StateFree {
    void operator()(xkb_state* s) const { xkb_state_unref(s); }
};

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
    // compositor's own state would see the keys go down.
    std::vector<std::vector<xkb_keycode_t>> holds{{}};
    if (shift) holds.push_back({shift});
    if (level3) holds.push_back({level3});
    if (shift && level3) holds.push_back({shift, level3});
    for (const auto& hold : holds) {
        std::unique_ptr<xkb_state, StateFree> state(xkb_state_new(keymap));
        if (!state) continue;
        xkb_state_update_mask(state.get(), 0, 0, 0, 0, 0, layout);
        for (xkb_keycode_t k : hold) xkb_state_update_key(state.get(), k, XKB_KEY_DOWN);
        Stroke stroke{0, {}};
        for (xkb_keycode_t k : hold) stroke.hold.push_back(k - kEvdevOffset);
        for (xkb_keycode_t code = first; code <= last; ++code) {
            const xkb_keysym_t sym = xkb_state_key_get_one_sym(state.get(), code);
            if (sym == XKB_KEY_NoSymbol || code == shift || code == level3) continue;
            stroke.code = code - kEvdevOffset;
            strokes_.try_emplace(sym, stroke);
        }
    }
}

std::optional<SeatLayout::Stroke> SeatLayout::find(xkb_keysym_t sym) const {
    auto it = strokes_.find(sym);
    if (it == strokes_.end()) return std::nullopt;
    return it->second;
}

}  // namespace vostel::wayland
