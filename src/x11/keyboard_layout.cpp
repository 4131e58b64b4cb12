#include "x11/keyboard_layout.h"

#include <X11/keysym.h>

#include <algorithm>
#include <bit>

namespace vostel::x11 {

void fail(int number, const std::string& what) {
    throw RuntimeError(number, std::string(standardErrorText(number)) + ": " + what);
}

Layout::Layout(Display* d)
    : xkb_(XkbGetMap(d, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd)) {
    if (!xkb_ || !xkb_->map) fail(kErrRefused, "the keyboard map could not be read");
    XkbStateRec state{};
    XkbGetState(d, XkbUseCoreKbd, &state);
    group_ = state.group;
    locked_ = state.locked_mods;
    modKeys_[0] = modifierKey({XK_Shift_L, XK_Shift_R});
    modKeys_[1] = modifierKey({XK_Control_L, XK_Control_R});
    modKeys_[2] = modifierKey({XK_Alt_L, XK_Alt_R, XK_Meta_L, XK_Meta_R});
    modKeys_[3] = modifierKey({XK_ISO_Level3_Shift});
}

std::optional<Stroke> Layout::find(const Wanted& w) const {
    std::optional<Stroke> best;
    for (int code = minCode(); code <= maxCode(); ++code) {
        if (!XkbKeyNumGroups(xkb_.get(), code)) continue;
        int group = effectiveGroup(code);
        XkbKeyTypePtr type = XkbKeyKeyType(xkb_.get(), code, group);
        int levels = std::min<int>(type->num_levels, XkbKeyGroupsWidth(xkb_.get(), code));
        for (int level = 0; level < levels; ++level) {
            KeySym s = XkbKeySymEntry(xkb_.get(), code, level, group);
            if (s == NoSymbol || (s != w.sym && s != w.same)) continue;
            std::optional<unsigned> mods = modsForLevel(type, level);
            if (mods && (!best || std::popcount(*mods) < std::popcount(best->mods)))
                best = Stroke{static_cast<KeyCode>(code), *mods};
        }
    }
    return best;
}

KeyCode Layout::keyForMod(unsigned bit) const {
    for (const ModifierKey& k : modKeys_)
        if (k.code && (k.mods & bit)) return k.code;
    return 0;
}

KeySym Layout::baseSym(int code) const {
    if (!XkbKeyNumGroups(xkb_.get(), code) || !XkbKeyGroupsWidth(xkb_.get(), code)) return NoSymbol;
    return XkbKeySymEntry(xkb_.get(), code, 0, 0);
}

bool Layout::isEmpty(int code) const {
    if (xkb_->map->modmap && xkb_->map->modmap[code]) return false;
    int n = XkbKeyNumSyms(xkb_.get(), code);
    for (int i = 0; i < n; ++i)
        if (XkbKeySymsPtr(xkb_.get(), code)[i] != NoSymbol) return false;
    return true;
}

bool Layout::isModifierKey(int code) const {
    switch (baseSym(code)) {
        case XK_Shift_L:
        case XK_Shift_R:
        case XK_Control_L:
        case XK_Control_R:
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Meta_L:
        case XK_Meta_R:
        case XK_Super_L:
        case XK_Super_R:
        case XK_Hyper_L:
        case XK_Hyper_R:
        case XK_ISO_Level3_Shift:
        case XK_ISO_Level5_Shift:
        case XK_Mode_switch:
            return true;
        default:
            return false;
    }
}

int Layout::effectiveGroup(int code) const {
    int n = XkbKeyNumGroups(xkb_.get(), code);
    if (group_ < n) return group_;
    unsigned char info = XkbKeyGroupInfo(xkb_.get(), code);
    switch (XkbOutOfRangeGroupAction(info)) {
        case XkbClampIntoRange:
            return n - 1;
        case XkbRedirectIntoRange: {
            int g = XkbOutOfRangeGroupNumber(info);
            return g < n ? g : 0;
        }
        default:
            return group_ % n;
    }
}

int Layout::levelFor(XkbKeyTypePtr type, unsigned mods) const {
    unsigned relevant = mods & type->mods.mask;
    for (int i = 0; i < type->map_count; ++i) {
        const XkbKTMapEntryRec& e = type->map[i];
        if (e.active && e.mods.mask == relevant) return e.level;
    }
    return 0;
}

std::optional<unsigned> Layout::modsForLevel(XkbKeyTypePtr type, int level) const {
    std::array<unsigned, 4> bits{};
    int n = 0;
    for (const ModifierKey& k : modKeys_) {
        if (k.code && k.mods && std::find(bits.begin(), bits.begin() + n, k.mods) == bits.begin() + n)
            bits[n++] = k.mods;
    }
    std::optional<unsigned> best;
    for (unsigned subset = 0; subset < (1u << n); ++subset) {
        unsigned mods = 0;
        for (int i = 0; i < n; ++i)
            if (subset & (1u << i)) mods |= bits[i];
        if (levelFor(type, mods | locked_) != level) continue;
        if (!best || std::popcount(mods) < std::popcount(*best)) best = mods;
    }
    return best;
}

ModifierKey Layout::modifierKey(std::initializer_list<KeySym> syms) const {
    for (KeySym sym : syms)
        for (int code = minCode(); code <= maxCode(); ++code)
            if (baseSym(code) == sym && xkb_->map->modmap && xkb_->map->modmap[code])
                return {static_cast<KeyCode>(code), xkb_->map->modmap[code]};
    return {};
}

}  // namespace vostel::x11
