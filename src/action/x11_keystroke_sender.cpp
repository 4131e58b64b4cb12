#include "action/x11_keystroke_sender.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#define XK_PUBLISHING  // the typographic keysyms of the Windows-1252 characters
#define XK_TECHNICAL
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

#include "action/keys.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"

namespace vostel {
namespace {

constexpr int kErrNoDisplay = kErrDeviceUnavailable;
constexpr int kErrRefused = kErrDeviceIO;

// How long a spare key code keeps a character after it was last typed before
// it may be bound to another one: a busy receiving program may read the
// keyboard map well after the keys arrived.
constexpr auto kBindingRest = std::chrono::seconds(1);

[[noreturn]] void fail(int number, const std::string& what) {
    throw RuntimeError(number, std::string(standardErrorText(number)) + ": " + what);
}

// Errors of our X requests are collected instead of ending the program
// (Xlib's default handler exits).
int g_xError = 0;
int collectXError(Display*, XErrorEvent* e) {
    if (!g_xError) g_xError = e->error_code;
    return 0;
}

class ErrorTrap {
public:
    ErrorTrap() : old_(XSetErrorHandler(collectXError)) { g_xError = 0; }
    ~ErrorTrap() { XSetErrorHandler(old_); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    void check(Display* d, const char* doing) {
        XSync(d, False);
        if (!g_xError) return;
        char text[160];
        XGetErrorText(d, std::exchange(g_xError, 0), text, sizeof text);
        fail(kErrRefused, std::string("the X server refused ") + doing + " (" + text + ")");
    }

private:
    XErrorHandler old_;
};

// The keysym to type for an event, and a second keysym meaning the same
// (the Unicode keysym of a character that also has a classic one).
struct Wanted {
    KeySym sym;
    KeySym same;
    bool operator==(const Wanted&) const = default;
};

KeySym namedKeysym(NamedKey key) {
    switch (key) {
    case NamedKey::Backspace: return XK_BackSpace;
    case NamedKey::Break: return XK_Break;
    case NamedKey::CapsLock: return XK_Caps_Lock;
    case NamedKey::Clear: return XK_Clear;
    case NamedKey::Delete: return XK_Delete;
    case NamedKey::Down: return XK_Down;
    case NamedKey::End: return XK_End;
    case NamedKey::Enter: return XK_Return;
    case NamedKey::Escape: return XK_Escape;
    case NamedKey::Help: return XK_Help;
    case NamedKey::Home: return XK_Home;
    case NamedKey::Insert: return XK_Insert;
    case NamedKey::Left: return XK_Left;
    case NamedKey::NumLock: return XK_Num_Lock;
    case NamedKey::PageDown: return XK_Next;
    case NamedKey::PageUp: return XK_Prior;
    case NamedKey::PrintScreen: return XK_Print;
    case NamedKey::Right: return XK_Right;
    case NamedKey::ScrollLock: return XK_Scroll_Lock;
    case NamedKey::Tab: return XK_Tab;
    case NamedKey::Up: return XK_Up;
    case NamedKey::Add: return XK_KP_Add;
    case NamedKey::Subtract: return XK_KP_Subtract;
    case NamedKey::Multiply: return XK_KP_Multiply;
    case NamedKey::Divide: return XK_KP_Divide;
    default: return XK_F1 + (static_cast<KeySym>(key) - static_cast<KeySym>(NamedKey::F1));
    }
}

// Classic keysyms of the Windows-1252 characters outside Latin-1.
KeySym classicKeysym(char32_t c) {
    switch (c) {
    case 0x20AC: return XK_EuroSign;
    case 0x201A: return XK_singlelowquotemark;
    case 0x0192: return XK_function;
    case 0x201E: return XK_doublelowquotemark;
    case 0x2026: return XK_ellipsis;
    case 0x2020: return XK_dagger;
    case 0x2021: return XK_doubledagger;
    case 0x2030: return XK_permille;
    case 0x0160: return XK_Scaron;
    case 0x0152: return XK_OE;
    case 0x017D: return XK_Zcaron;
    case 0x2018: return XK_leftsinglequotemark;
    case 0x2019: return XK_rightsinglequotemark;
    case 0x201C: return XK_leftdoublequotemark;
    case 0x201D: return XK_rightdoublequotemark;
    case 0x2022: return XK_enfilledcircbullet;
    case 0x2013: return XK_endash;
    case 0x2014: return XK_emdash;
    case 0x2122: return XK_trademark;
    case 0x0161: return XK_scaron;
    case 0x0153: return XK_oe;
    case 0x017E: return XK_zcaron;
    case 0x0178: return XK_Ydiaeresis;
    default: return NoSymbol;
    }
}

Wanted wantedFor(const KeyEvent& e) {
    if (e.kind == KeyEvent::Kind::Key) return {namedKeysym(e.key), namedKeysym(e.key)};
    KeySym unicode = 0x01000000 | static_cast<KeySym>(e.ch);
    if (e.ch <= 0xFF) return {static_cast<KeySym>(e.ch), unicode};  // Latin-1 keysyms are the codes
    KeySym classic = classicKeysym(e.ch);
    return {classic != NoSymbol ? classic : unicode, unicode};
}

bool typesKey(const KeyEvent& e) {
    return e.kind == KeyEvent::Kind::Key || e.kind == KeyEvent::Kind::Char;
}

// A key to tap and the real modifiers to hold around it.
struct Stroke {
    KeyCode code;
    unsigned mods;
};

struct ModifierKey {
    KeyCode code = 0;
    unsigned mods = 0;  // the real modifiers it sets
};

struct XkbFree {
    void operator()(XkbDescPtr p) const { XkbFreeKeyboard(p, 0, True); }
};

// The keyboard map and the state (group, locked modifiers) at this moment.
class Layout {
public:
    explicit Layout(Display* d)
        : xkb_(XkbGetMap(d, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask,
                         XkbUseCoreKbd)) {
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

    int minCode() const { return xkb_->min_key_code; }
    int maxCode() const { return xkb_->max_key_code; }

    const ModifierKey& key(Modifier m) const { return modKeys_[static_cast<int>(m)]; }

    // The key that types `w` with the fewest modifiers held.
    std::optional<Stroke> find(const Wanted& w) const {
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

    // The key of the modifier keys we can hold that sets `bit`.
    KeyCode keyForMod(unsigned bit) const {
        for (const ModifierKey& k : modKeys_)
            if (k.code && (k.mods & bit)) return k.code;
        return 0;
    }

    KeySym baseSym(int code) const {
        if (!XkbKeyNumGroups(xkb_.get(), code) || !XkbKeyGroupsWidth(xkb_.get(), code))
            return NoSymbol;
        return XkbKeySymEntry(xkb_.get(), code, 0, 0);
    }

    // A key code with no symbols and no modifier: free for a binding.
    bool isEmpty(int code) const {
        if (xkb_->map->modmap && xkb_->map->modmap[code]) return false;
        int n = XkbKeyNumSyms(xkb_.get(), code);
        for (int i = 0; i < n; ++i)
            if (XkbKeySymsPtr(xkb_.get(), code)[i] != NoSymbol) return false;
        return true;
    }

    bool isModifierKey(int code) const {
        switch (baseSym(code)) {
        case XK_Shift_L: case XK_Shift_R: case XK_Control_L: case XK_Control_R:
        case XK_Alt_L: case XK_Alt_R: case XK_Meta_L: case XK_Meta_R:
        case XK_Super_L: case XK_Super_R: case XK_Hyper_L: case XK_Hyper_R:
        case XK_ISO_Level3_Shift: case XK_ISO_Level5_Shift: case XK_Mode_switch:
            return true;
        default:
            return false;
        }
    }

private:
    int effectiveGroup(int code) const {
        int n = XkbKeyNumGroups(xkb_.get(), code);
        if (group_ < n) return group_;
        unsigned char info = XkbKeyGroupInfo(xkb_.get(), code);
        switch (XkbOutOfRangeGroupAction(info)) {
        case XkbClampIntoRange: return n - 1;
        case XkbRedirectIntoRange: {
            int g = XkbOutOfRangeGroupNumber(info);
            return g < n ? g : 0;
        }
        default: return group_ % n;
        }
    }

    int levelFor(XkbKeyTypePtr type, unsigned mods) const {
        unsigned relevant = mods & type->mods.mask;
        for (int i = 0; i < type->map_count; ++i) {
            const XkbKTMapEntryRec& e = type->map[i];
            if (e.active && e.mods.mask == relevant) return e.level;
        }
        return 0;
    }

    // The smallest set of holdable modifiers that, with the locked ones
    // (Caps Lock, Num Lock), selects `level` of a key of this type.
    std::optional<unsigned> modsForLevel(XkbKeyTypePtr type, int level) const {
        std::array<unsigned, 4> bits{};
        int n = 0;
        for (const ModifierKey& k : modKeys_) {
            if (k.code && k.mods &&
                std::find(bits.begin(), bits.begin() + n, k.mods) == bits.begin() + n)
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

    ModifierKey modifierKey(std::initializer_list<KeySym> syms) const {
        for (KeySym sym : syms)
            for (int code = minCode(); code <= maxCode(); ++code)
                if (baseSym(code) == sym && xkb_->map->modmap && xkb_->map->modmap[code])
                    return {static_cast<KeyCode>(code), xkb_->map->modmap[code]};
        return {};
    }

    std::unique_ptr<XkbDescRec, XkbFree> xkb_;
    int group_ = 0;
    unsigned locked_ = 0;
    std::array<ModifierKey, 4> modKeys_;  // Shift, Ctrl, Alt, AltGr (level 3)
};

std::string describe(const Wanted& w) {
    if ((w.same & 0xFF000000) == 0x01000000) {  // a character
        std::string quoted(1, '\'');
        quoted += encodeUtf8(std::u32string(1, static_cast<char32_t>(w.same & 0xFFFFFF)));
        quoted += '\'';
        return quoted;
    }
    const char* name = XKeysymToString(w.sym);
    return std::string("the key ") + (name ? name : "?");
}

// Fake key presses and releases, remembering which keys are down.
class Keys {
public:
    explicit Keys(Display* d) : d_(d) {}
    void press(KeyCode k) {
        XTestFakeKeyEvent(d_, k, True, CurrentTime);
        down_[k] = true;
    }
    void release(KeyCode k) {
        XTestFakeKeyEvent(d_, k, False, CurrentTime);
        down_[k] = false;
    }
    bool isDown(KeyCode k) const { return down_[k]; }
    void releaseAll() {
        for (unsigned k = 0; k < down_.size(); ++k)
            if (down_[k]) release(static_cast<KeyCode>(k));
    }

private:
    Display* d_;
    std::array<bool, 256> down_{};
};

// One description being typed.
class Typing {
public:
    Typing(Display* d, std::vector<SpareKeyBinding>& bindings)
        : d_(d), bindings_(bindings), keys_(d) {}

    void run(const std::vector<KeyEvent>& events) {
        auto layout = std::make_unique<Layout>(d_);
        forgetLostBindings(*layout);
        std::vector<Wanted> missing = plan(*layout, events);
        if (!missing.empty()) {
            bind(*layout, missing);
            trap_.check(d_, "a change of the keyboard map");
            layout = std::make_unique<Layout>(d_);
        }
        try {
            releaseHeldModifiers(*layout);
            type(*layout, events);
        } catch (...) {
            finish();
            throw;
        }
        finish();
        trap_.check(d_, "the keystrokes");
    }

private:
    void forgetLostBindings(const Layout& layout) {
        std::erase_if(bindings_, [&](const SpareKeyBinding& b) {
            return static_cast<int>(b.code) < layout.minCode() ||
                   static_cast<int>(b.code) > layout.maxCode() || layout.baseSym(b.code) != b.sym;
        });
    }

    SpareKeyBinding* binding(unsigned code) {
        for (SpareKeyBinding& b : bindings_)
            if (b.code == code) return &b;
        return nullptr;
    }

    std::vector<unsigned> spareCodes(const Layout& layout) {
        std::vector<unsigned> codes;
        for (int code = layout.minCode(); code <= layout.maxCode(); ++code)
            if (layout.isEmpty(code) && !binding(static_cast<unsigned>(code)))
                codes.push_back(static_cast<unsigned>(code));
        return codes;
    }

    // Bindings free for another character: not needed now, and at rest.
    bool reusable(const SpareKeyBinding& b) const {
        return std::find(used_.begin(), used_.end(), b.code) == used_.end() &&
               now_ - b.lastUse >= kBindingRest;
    }

    // Checks that every key can be typed, before anything is, and collects
    // the keysyms the keyboard map lacks.
    std::vector<Wanted> plan(const Layout& layout, const std::vector<KeyEvent>& events) {
        std::vector<Wanted> missing;
        for (const KeyEvent& e : events) {
            if (e.kind == KeyEvent::Kind::Press && !layout.key(e.modifier).code) {
                static constexpr const char* names[] = {"Shift", "Ctrl", "Alt"};
                fail(kErrInvalidCall, std::string("the keyboard map has no ") +
                                          names[static_cast<int>(e.modifier)] + " key");
            }
            if (!typesKey(e)) continue;
            Wanted w = wantedFor(e);
            if (std::optional<Stroke> s = layout.find(w)) {
                if (binding(s->code)) used_.push_back(s->code);
            } else if (std::find(missing.begin(), missing.end(), w) == missing.end()) {
                missing.push_back(w);
            }
        }
        if (missing.empty()) return missing;
        std::size_t free = spareCodes(layout).size() +
                           static_cast<std::size_t>(std::count_if(
                               bindings_.begin(), bindings_.end(),
                               [&](const SpareKeyBinding& b) { return reusable(b); }));
        if (missing.size() > free) {
            std::string more = missing.size() > 1
                                   ? " and " + std::to_string(missing.size() - 1) + " more keys"
                                   : std::string();
            fail(kErrInvalidCall, "cannot type " + describe(missing.front()) + more +
                                      " that the keyboard map lacks: only " +
                                      std::to_string(free) +
                                      " spare key codes are free (one bound before is free "
                                      "again a second after it was last typed)");
        }
        return missing;
    }

    void bind(const Layout& layout, const std::vector<Wanted>& missing) {
        std::vector<unsigned> spare = spareCodes(layout);
        for (const Wanted& w : missing) {
            SpareKeyBinding* b = nullptr;
            if (!spare.empty()) {
                bindings_.push_back({spare.front(), NoSymbol, {}});
                spare.erase(spare.begin());
                b = &bindings_.back();
            } else {  // the binding at rest the longest
                for (SpareKeyBinding& c : bindings_)
                    if (reusable(c) && (!b || c.lastUse < b->lastUse)) b = &c;
            }
            // A letter gets both cases, so Shift and Caps Lock act on it as usual.
            KeySym lower = NoSymbol, upper = NoSymbol;
            XConvertCase(w.sym, &lower, &upper);
            KeySym syms[2] = {lower, upper};
            if (lower == upper) syms[0] = syms[1] = w.sym;
            XChangeKeyboardMapping(d_, static_cast<int>(b->code), 2, syms, 1);
            *b = {b->code, syms[0], now_};
            used_.push_back(b->code);
        }
    }

    // Modifier keys the user holds would change the typed keys: they are let
    // go for the moment and pressed again afterwards.
    void releaseHeldModifiers(const Layout& layout) {
        char map[32];
        XQueryKeymap(d_, map);
        for (int code = layout.minCode(); code <= layout.maxCode() && code < 256; ++code) {
            if ((map[code / 8] & (1 << (code % 8))) && layout.isModifierKey(code)) {
                XTestFakeKeyEvent(d_, static_cast<unsigned>(code), False, CurrentTime);
                held_.push_back(static_cast<KeyCode>(code));
            }
        }
    }

    void type(const Layout& layout, const std::vector<KeyEvent>& events) {
        for (const KeyEvent& e : events) {
            int m = static_cast<int>(e.modifier);
            switch (e.kind) {
            case KeyEvent::Kind::Press: {
                KeyCode k = layout.key(e.modifier).code;
                if (!keys_.isDown(k)) keys_.press(k);
                described_[m] = k;
                break;
            }
            case KeyEvent::Kind::Release:
                if (described_[m] && keys_.isDown(described_[m])) keys_.release(described_[m]);
                described_[m] = 0;
                break;
            default: {
                std::optional<Stroke> s = layout.find(wantedFor(e));
                if (!s) fail(kErrInvalidCall, "cannot type " + describe(wantedFor(e)));
                if (SpareKeyBinding* b = binding(s->code)) b->lastUse = now_;
                std::vector<KeyCode> extra;
                for (unsigned bit = 1; bit < 0x100; bit <<= 1) {
                    if (!(s->mods & bit)) continue;
                    KeyCode k = layout.keyForMod(bit);
                    if (k && !keys_.isDown(k)) {
                        keys_.press(k);
                        extra.push_back(k);
                    }
                }
                keys_.press(s->code);
                keys_.release(s->code);
                for (auto k = extra.rbegin(); k != extra.rend(); ++k) keys_.release(*k);
            }
            }
        }
    }

    // Lets go of every key still down and gives back the user's modifiers.
    void finish() {
        keys_.releaseAll();
        for (KeyCode k : held_) XTestFakeKeyEvent(d_, k, True, CurrentTime);
        held_.clear();
        XFlush(d_);
    }

    Display* d_;
    std::vector<SpareKeyBinding>& bindings_;
    const std::chrono::steady_clock::time_point now_ = std::chrono::steady_clock::now();
    std::vector<unsigned> used_;  // bindings this description types with
    ErrorTrap trap_;
    Keys keys_;
    std::vector<KeyCode> held_;
    std::array<KeyCode, 3> described_{};  // the keys of + ^ % while held
};

}  // namespace

X11KeystrokeSender::X11KeystrokeSender(std::string displayName)
    : displayName_(std::move(displayName)) {}

X11KeystrokeSender::~X11KeystrokeSender() {
    if (!display_) return;
    {
        ErrorTrap trap;
        for (const SpareKeyBinding& b : bindings_) {
            int n = 0;
            KeySym* syms = XGetKeyboardMapping(display_, static_cast<KeyCode>(b.code), 1, &n);
            bool ours = syms && n > 0 && syms[0] == b.sym;
            if (syms) XFree(syms);
            if (!ours) continue;  // the map has been changed since; leave it
            KeySym none = NoSymbol;
            XChangeKeyboardMapping(display_, static_cast<int>(b.code), 1, &none, 1);
        }
        XSync(display_, False);
    }
    XCloseDisplay(display_);
}

Display* X11KeystrokeSender::display() {
    if (display_) return display_;
    std::string name = displayName_;
    if (name.empty()) {
        if (const char* env = std::getenv("DISPLAY")) name = env;
    }
    const std::string cannot = "keystrokes cannot be sent: ";
    if (name.empty()) {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const char* session = std::getenv("XDG_SESSION_TYPE");
        if ((wayland && *wayland) || (session && std::string_view(session) == "wayland"))
            fail(kErrNoDisplay, cannot +
                                    "this is a Wayland session without X11 access (DISPLAY is "
                                    "not set). Keys can be typed only into X11 windows, under "
                                    "Wayland into XWayland windows.");
        fail(kErrNoDisplay, cannot + "there is no X display (DISPLAY is not set).");
    }
    Display* d = XOpenDisplay(name.c_str());
    if (!d) fail(kErrNoDisplay, cannot + "the X display \"" + name + "\" cannot be opened.");
    int event = 0, error = 0, major = 0, minor = 0, opcode = 0;
    if (!XTestQueryExtension(d, &event, &error, &major, &minor)) {
        XCloseDisplay(d);
        fail(kErrNoDisplay, cannot + "the X display \"" + name + "\" lacks the XTEST extension.");
    }
    major = XkbMajorVersion;
    minor = XkbMinorVersion;
    if (!XkbQueryExtension(d, &opcode, &event, &error, &major, &minor)) {
        XCloseDisplay(d);
        fail(kErrNoDisplay, cannot + "the X display \"" + name + "\" lacks the XKEYBOARD extension.");
    }
    display_ = d;
    return d;
}

void X11KeystrokeSender::sendKeys(std::string_view keys, bool /*wait*/) {
    std::vector<KeyEvent> events = parseKeys(cp1252ToU32(keys));
    if (events.empty()) return;
    Display* d = display();
    // With the focus on no window the X server would drop the keys.
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == None)
        fail(kErrNoDisplay, "keystrokes cannot be sent: no window has the input focus.");
    Typing(d, bindings_).run(events);
}

}  // namespace vostel
