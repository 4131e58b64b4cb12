// The keymaps of the Wayland senders, compiled and read back with
// libxkbcommon as a compositor and a receiving program would: no compositor needed.
#include "wayland/keymap.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "action/keysyms.h"
#include "runtime/cp1252.h"
#include "support/errors.h"
#include "wayland/seat_layout.h"

namespace vostel::wayland {
namespace {

struct Xkb {
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context{xkb_context_new(XKB_CONTEXT_NO_FLAGS),
                                                                       xkb_context_unref};
    std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap{nullptr, xkb_keymap_unref};

    explicit Xkb(const std::string& text) {
        keymap.reset(xkb_keymap_new_from_string(context.get(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                                XKB_KEYMAP_COMPILE_NO_FLAGS));
    }
    Xkb(const char* layout, const char* variant) {
        xkb_rule_names names{"evdev", "pc105", layout, variant, nullptr};
        keymap.reset(xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    }
    // The keysym of an evdev key code with these modifiers held.
    xkb_keysym_t sym(std::uint32_t code, std::uint32_t mods = 0) const {
        std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state(xkb_state_new(keymap.get()),
                                                                     xkb_state_unref);
        xkb_state_update_mask(state.get(), mods, 0, 0, 0, 0, 0);
        return xkb_state_key_get_one_sym(state.get(), code + 8);
    }
};

xkb_keysym_t named(const char* name) { return xkb_keysym_from_name(name, XKB_KEYSYM_NO_FLAGS); }

std::vector<KeyEvent> keys(const std::string& utf8) { return parseKeys(decodeUtf8(utf8)); }

TEST(WaylandKeysyms, NamedKeysHaveTheirXkbNames) {
    const std::vector<std::pair<NamedKey, const char*>> names{
        {NamedKey::Enter, "Return"},
        {NamedKey::PageDown, "Next"},
        {NamedKey::Backspace, "BackSpace"},
        {NamedKey::Break, "Break"},
        {NamedKey::CapsLock, "Caps_Lock"},
        {NamedKey::Delete, "Delete"},
        {NamedKey::PrintScreen, "Print"},
        {NamedKey::ScrollLock, "Scroll_Lock"},
        {NamedKey::Add, "KP_Add"},
        {NamedKey::Divide, "KP_Divide"},
        {NamedKey::F1, "F1"},
        {NamedKey::F16, "F16"},
        {NamedKey::VolumeUp, "XF86AudioRaiseVolume"},
        {NamedKey::VolumeDown, "XF86AudioLowerVolume"},
        {NamedKey::VolumeMute, "XF86AudioMute"},
        {NamedKey::MediaPlayPause, "XF86AudioPlay"},
        {NamedKey::MediaStop, "XF86AudioStop"},
        {NamedKey::MediaNext, "XF86AudioNext"},
        {NamedKey::MediaPrev, "XF86AudioPrev"},
        {NamedKey::BrowserBack, "XF86Back"},
        {NamedKey::BrowserForward, "XF86Forward"},
        {NamedKey::BrowserHome, "XF86HomePage"},
    };
    for (const auto& [key, name] : names) EXPECT_EQ(keysymOf(key), named(name)) << name;
    EXPECT_EQ(keysymFor(KeyEvent::character(U'€')), named("EuroSign"));
    EXPECT_EQ(keysymFor(KeyEvent::character(U'☃')), 0x01002603u);
}

TEST(OwnKeymap, EveryKeysymOnItsKeyLettersWithBothCases) {
    OwnKeymap map;
    const std::vector<xkb_keysym_t> syms{named("a"),        named("B"),      named("adiaeresis"),
                                         named("EuroSign"), named("Return"), named("XF86AudioRaiseVolume"),
                                         0x01002603,        0x01006F22,      named("1")};
    map.rebuild(syms);
    Xkb xkb(map.text());
    ASSERT_TRUE(xkb.keymap) << map.text();
    for (xkb_keysym_t sym : syms) {
        std::optional<OwnKey> k = map.find(sym);
        ASSERT_TRUE(k) << sym;
        EXPECT_EQ(xkb.sym(k->code, k->shift ? OwnKeymap::kShift : 0), sym) << sym;
    }
    // A letter's key gives the capital with Shift, so +b types B; other keys ignore Shift.
    EXPECT_EQ(map.find(named("b")), (OwnKey{map.find(named("B"))->code, false}));
    EXPECT_EQ(xkb.sym(map.find(named("adiaeresis"))->code, OwnKeymap::kShift), named("Adiaeresis"));
    EXPECT_EQ(xkb.sym(map.find(named("1"))->code, OwnKeymap::kShift), named("1"));
    EXPECT_FALSE(map.find(named("z")));
}

TEST(OwnKeymap, ShiftCtrlAltAreRealModifiersOfTheirKeys) {
    OwnKeymap map;
    map.rebuild({named("a")});
    Xkb xkb(map.text());
    ASSERT_TRUE(xkb.keymap);
    const std::vector<std::tuple<Modifier, const char*, const char*>> mods{
        {Modifier::Shift, XKB_MOD_NAME_SHIFT, "Shift_L"},
        {Modifier::Ctrl, XKB_MOD_NAME_CTRL, "Control_L"},
        {Modifier::Alt, XKB_MOD_NAME_ALT, "Alt_L"}};
    for (const auto& [m, modName, keyName] : mods) {
        EXPECT_EQ(OwnKeymap::modifierBit(m), 1u << xkb_keymap_mod_get_index(xkb.keymap.get(), modName));
        EXPECT_EQ(xkb.sym(OwnKeymap::modifierCode(m)), named(keyName));
        // Pressing the key sets the modifier, as for a real keyboard.
        std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state(xkb_state_new(xkb.keymap.get()),
                                                                     xkb_state_unref);
        xkb_state_update_key(state.get(), OwnKeymap::modifierCode(m) + 8, XKB_KEY_DOWN);
        EXPECT_EQ(xkb_state_serialize_mods(state.get(), XKB_STATE_MODS_DEPRESSED), OwnKeymap::modifierBit(m));
    }
}

TEST(OwnKeymap, RebuildKeepsEarlierKeysWhileRoomRemains) {
    OwnKeymap map;
    map.rebuild({named("a"), named("b")});
    map.rebuild({named("c")});
    EXPECT_TRUE(map.find(named("a")) && map.find(named("b")) && map.find(named("c")));
    // A full keymap: the new keysyms first, the old ones only while they fit.
    std::vector<xkb_keysym_t> many;
    for (std::uint32_t i = 0; i < OwnKeymap::kCapacity; ++i) many.push_back(0x01004E00 + i);
    map.rebuild(many);
    EXPECT_TRUE(map.find(many.back()));
    EXPECT_FALSE(map.find(named("a")));
    ASSERT_TRUE(Xkb(map.text()).keymap);
    EXPECT_EQ(Xkb(map.text()).sym(map.find(many.back())->code), many.back());
    // More than it holds: the first ones; the sender types them and builds the next keymap.
    many.push_back(named("z"));
    map.rebuild({named("a")});
    map.rebuild(many);
    EXPECT_TRUE(map.find(many.front()));
    EXPECT_FALSE(map.find(named("z")));
    EXPECT_FALSE(map.find(named("a")));
}

TEST(SeatLayout, KeysOfTheUsersLayoutWithShiftAndAltGr) {
    Xkb us("us", ""), de("de", "");
    ASSERT_TRUE(us.keymap && de.keymap);
    constexpr std::uint32_t kA = 30, kE = 18, kLeftShift = 42, kLeftCtrl = 29;
    SeatLayout usLayout(us.keymap.get(), 0), deLayout(de.keymap.get(), 0);
    EXPECT_EQ(usLayout.find(named("a")), (SeatLayout::Stroke{kA, {}}));
    EXPECT_EQ(usLayout.find(named("A")), (SeatLayout::Stroke{kA, {kLeftShift}}));
    std::optional<SeatLayout::Stroke> euro = deLayout.find(named("EuroSign"));  // AltGr+e
    ASSERT_TRUE(euro && euro->hold.size() == 1);
    EXPECT_EQ(euro->code, kE);
    EXPECT_EQ(de.sym(euro->hold[0]), named("ISO_Level3_Shift"));
    EXPECT_EQ(usLayout.modifierKey(Modifier::Ctrl), kLeftCtrl);
    EXPECT_EQ(usLayout.plan(keys("^a{ENTER}{VOLUME_UP}")).size(), 3u);
    EXPECT_EQ(deLayout.plan(keys("\xC3\xA4")).front().code, 40u);  // ä on its own key
}

TEST(SeatLayout, KeyTheLayoutLacksIsNamedBeforeAnythingIsTyped) {
    Xkb us("us", "");
    SeatLayout layout(us.keymap.get(), 0);
    RuntimeError e = testing::errorOf([&] { layout.plan(keys("ab\xE2\x98\x83")); });  // ab☃
    EXPECT_EQ(e.number(), 5);
    EXPECT_EQ(e.text(),
              "Invalid procedure call or argument: cannot type '\xE2\x98\x83': the "
              "keyboard layout has no key for it");
    e = testing::errorOf([&] { layout.plan(keys("{F16}")); });
    EXPECT_EQ(e.text(),
              "Invalid procedure call or argument: cannot type the key F16: the keyboard "
              "layout has no key for it");
}

}  // namespace
}  // namespace vostel::wayland
