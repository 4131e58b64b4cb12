#include "x11/keystroke_sender.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

#include "action/keys.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"
#include "x11/keyboard_layout.h"
#include "x11/keysyms.h"

namespace vostel::x11 {
namespace {

constexpr int kErrNoDisplay = kErrDeviceUnavailable;

// How long a spare key code keeps a character after it was last typed before
// it may be bound to another one: a busy receiving program may read the
// keyboard map well after the keys arrived.
constexpr auto kBindingRest = std::chrono::seconds(1);

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
    Typing(Display* d, std::vector<SpareKeyBinding>& bindings) : d_(d), bindings_(bindings), keys_(d) {}

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
                fail(kErrInvalidCall,
                     std::string("the keyboard map has no ") + names[static_cast<int>(e.modifier)] + " key");
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
        std::size_t free =
            spareCodes(layout).size() +
            static_cast<std::size_t>(std::count_if(bindings_.begin(), bindings_.end(),
                                                   [&](const SpareKeyBinding& b) { return reusable(b); }));
        if (missing.size() > free) {
            std::string more = missing.size() > 1
                                   ? " and " + std::to_string(missing.size() - 1) + " more keys"
                                   : std::string();
            fail(kErrInvalidCall, "cannot type " + describe(missing.front()) + more +
                                      " that the keyboard map lacks: only " + std::to_string(free) +
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

KeystrokeSender::KeystrokeSender(std::string displayName) : displayName_(std::move(displayName)) {}

KeystrokeSender::~KeystrokeSender() {
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

Display* KeystrokeSender::display() {
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

void KeystrokeSender::sendKeys(std::string_view keys, bool /*wait*/) {
    std::vector<KeyEvent> events = parseKeys(cp1252ToU32(keys));
    if (events.empty()) return;
    Display* d = display();
    // With the focus on no window the X server would drop the keys.
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == None) fail(kErrNoDisplay, "keystrokes cannot be sent: no window has the input focus.");
    Typing(d, bindings_).run(events);
}

}  // namespace vostel::x11
