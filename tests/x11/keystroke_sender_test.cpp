// Real keystrokes: an Xvfb server started here, a focused Qt line edit
// (vostel-keytarget) and the X11 sender typing into it through Action.
#include "x11/keystroke_sender.h"

#include <gtest/gtest.h>

#include <X11/XF86keysym.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "action/action.h"
#include "runtime/error.h"
#include "support/errors.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "x11/keysyms.h"

namespace vostel::x11 {
namespace {

using namespace std::chrono_literals;

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

struct Target {
    int generation = -1;
    int enters = 0;
    std::string text;
};

class LiveKeys : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<testing::TempDir>();
        if (startXvfb()) startTarget();
    }

    static void TearDownTestSuite() {
        target_.reset();
        if (x_) XCloseDisplay(x_);
        x_ = nullptr;
        xvfb_.reset();
        dir_.reset();
    }

    static std::string path(const char* name) { return (*dir_ / name).string(); }

    // Xvfb picks a free display itself and writes its number to -displayfd
    // once it accepts connections.
    static bool startXvfb() {
        testing::Child::Options options;
        options.errorsTo = path("xvfb.log");
        xvfb_ = std::make_unique<testing::Child>(
            std::vector<std::string>{"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen",
                                     "0", "800x600x24"},
            options);
        const std::string number = xvfb_->waitForLine("", 15s);
        if (number.empty()) return failSetup("Xvfb did not start (see " + path("xvfb.log") + ")");
        display_ = ":" + number;
        x_ = XOpenDisplay(display_.c_str());
        if (!x_) return failSetup("cannot connect to " + display_);
        return true;
    }

    static bool startTarget() {
        setenv("DISPLAY", display_.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("XDG_RUNTIME_DIR", dir_->path().c_str(), 1);
        target_ = std::make_unique<testing::Child>(std::vector<std::string>{KEYTARGET_PATH, path("state")});
        if (!waitUntil([] { return read().generation >= 0; }, 15s))
            return failSetup("the test window never got the input focus");
        ready_ = true;
        return true;
    }

    static bool failSetup(const std::string& why) {
        why_ = why;
        return false;
    }

    static Target read() {
        Target t;
        std::ifstream in(path("state"), std::ios::binary);
        if (!in || !(in >> t.generation >> t.enters)) return Target{};
        in.get();
        std::ostringstream rest;
        rest << in.rdbuf();
        t.text = rest.str();
        return t;
    }

    void SetUp() override {
        ASSERT_TRUE(ready_) << why_;
        ++generation_;
        target_->send("clear\n");
        ASSERT_TRUE(waitUntil([] { return read().generation == generation_; }))
            << "the test window did not clear";
    }

    // The text the window holds once it equals `expected`, or after 5 s.
    static std::string arrived(const std::string& expected) {
        waitUntil([&] { return read().text == expected; });
        return read().text;
    }

    static KeyCode code(KeySym sym) { return XKeysymToKeycode(x_, sym); }

    static int keycodesWith(KeySym sym) {
        int first = 0, last = 0, width = 0;
        XDisplayKeycodes(x_, &first, &last);
        KeySym* map = XGetKeyboardMapping(x_, KeyCode(first), last - first + 1, &width);
        int count = 0;
        for (int i = 0; i < (last - first + 1) * width; i += width)
            for (int j = 0; j < width; ++j)
                if (map[i + j] == sym) {
                    ++count;
                    break;
                }
        XFree(map);
        return count;
    }

    static void setLayout(const char* layout) {
        std::string cmd = "setxkbmap -display " + display_ + " " + layout;
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }

    KeystrokeSender sender_{display_};
    Action action_{sender_};

    static inline std::unique_ptr<testing::TempDir> dir_;
    static inline std::unique_ptr<testing::Child> xvfb_, target_;
    static inline std::string display_, why_;
    static inline int generation_ = 0;
    static inline bool ready_ = false;
    static inline Display* x_ = nullptr;
};

TEST_F(LiveKeys, PlainTextKeepsItsCase) {
    action_.doAction("sendkeys:Hello World, 42 (Ok)!");
    EXPECT_EQ(arrived("Hello World, 42 Ok!"), "Hello World, 42 Ok!");
    action_.doAction("sendkeys:{(}x{)}");
    EXPECT_EQ(arrived("Hello World, 42 Ok!(x)"), "Hello World, 42 Ok!(x)");
}

TEST_F(LiveKeys, TildeAndEnterPressEnter) {
    action_.doAction("sendkeys:ab~cd{ENTER}");
    EXPECT_EQ(arrived("abcd"), "abcd");
    EXPECT_TRUE(waitUntil([] { return read().enters == 2; })) << read().enters;
}

TEST_F(LiveKeys, CtrlASelectsAllAndTypingReplacesIt) {
    action_.doAction("sendkeys:hello^aX");
    EXPECT_EQ(arrived("X"), "X");
}

TEST_F(LiveKeys, ShiftHeldForAGroup) {
    action_.doAction("sendkeys:+(ab)c+d");
    EXPECT_EQ(arrived("ABcD"), "ABcD");
}

TEST_F(LiveKeys, RepeatedLeftMovesTheCursor) {
    action_.doAction("sendkeys:abcdef{LEFT 3}X{END}Y");
    EXPECT_EQ(arrived("abcXdefY"), "abcXdefY");
}

// The description the Wayland end-to-end test types under sway.
TEST_F(LiveKeys, ShiftCtrlLatinEnterRepeatAndAMediaKey) {
    action_.doAction("sendkeys:x^a+hello{LEFT 2}\xE4\x80{VOLUME_UP}{END}W{ENTER}");
    EXPECT_EQ(arrived("Helä€loW"), "Helä€loW");
    EXPECT_TRUE(waitUntil([] { return read().enters == 1; })) << read().enters;
    std::ifstream keys(path("state") + ".keys");
    std::string line, seen;
    while (std::getline(keys, line)) seen += line + " ";
    EXPECT_NE(seen.find("0x1008ff13"), std::string::npos) << "keys without text: " << seen;
}

TEST_F(LiveKeys, BracedSpecialsTypeLiterally) {
    action_.doAction("sendkeys:{{}{}}{+}{~}{^}{%}{[}{]}");
    EXPECT_EQ(arrived("{}+~^%[]"), "{}+~^%[]");
}

TEST_F(LiveKeys, CharactersMissingFromTheKeymapGoThroughASpareKey) {
    EXPECT_EQ(keycodesWith(XK_EuroSign), 0);
    {
        KeystrokeSender sender(display_);
        Action(sender).doAction("sendkeys:\xE4\x80\xC4x\x80\xE4\x8A\x9C");  // ä€Äx€äŠœ
        EXPECT_EQ(arrived("ä€Äx€äŠœ"), "ä€Äx€äŠœ");
        EXPECT_EQ(keycodesWith(XK_EuroSign), 1);
    }
    EXPECT_EQ(keycodesWith(XK_EuroSign), 0) << "the spare key was not given back";
    EXPECT_EQ(keycodesWith(XK_adiaeresis), 0);
}

TEST_F(LiveKeys, SpareKeysAreBoundAnewOnlyOnceAtRest) {
    // Fill all empty key codes but two.
    int first = 0, last = 0, width = 0;
    XDisplayKeycodes(x_, &first, &last);
    KeySym* map = XGetKeyboardMapping(x_, KeyCode(first), last - first + 1, &width);
    XModifierKeymap* mods = XGetModifierMapping(x_);
    std::vector<int> filled;
    int kept = 0;
    for (int code = first; code <= last; ++code) {
        bool empty = true;
        for (int j = 0; j < width; ++j) empty = empty && map[(code - first) * width + j] == NoSymbol;
        for (int m = 0; m < 8 * mods->max_keypermod; ++m) empty = empty && mods->modifiermap[m] != code;
        if (!empty) continue;
        if (kept < 2) {
            ++kept;
            continue;
        }
        KeySym filler = 0x1004E00 + KeySym(filled.size());  // CJK ideographs
        XChangeKeyboardMapping(x_, code, 1, &filler, 1);
        filled.push_back(code);
    }
    XFree(map);
    XFreeModifiermap(mods);
    XSync(x_, False);
    ASSERT_EQ(kept, 2);

    auto refused = [&](const char* id) {
        const RuntimeError e = testing::errorOf([&] { action_.doAction(id); });
        return e.number() == 5 && e.text().find("spare key codes") != std::string::npos;
    };
    action_.doAction("sendkeys:\x80-\x8A\x80");  // €-Š€: two bindings
    std::string first2 = arrived("€-Š€");
    bool threeRefused = refused("sendkeys:\x8E\x9A\x9E");  // ŽŠž: three at once
    bool busyRefused = refused("sendkeys:\x8E");           // Ž: both codes were just typed with
    std::this_thread::sleep_for(1100ms);
    action_.doAction("sendkeys:\x8E\x9A");  // Žš: both codes bound anew
    std::string all = arrived("€-Š€Žš");

    for (int code : filled) {
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(x_, code, 1, &none, 1);
    }
    XSync(x_, False);
    EXPECT_EQ(first2, "€-Š€");
    EXPECT_TRUE(threeRefused);
    EXPECT_TRUE(busyRefused);
    EXPECT_EQ(all, "€-Š€Žš");
}

TEST_F(LiveKeys, OnlyTheExactPrefixTypes) {
    for (const char* id :
         {"Sendkeys:abc", "sendkeys abc", " sendkeys:abc", "xsendkeys:abc", "sendkeysabc", "sendkeys", ""})
        action_.doAction(id);
    action_.doAction("sendkeys:");
    // What the ignored IDs might have typed would arrive before this.
    action_.doAction("sendkeys:z");
    EXPECT_EQ(arrived("z"), "z");
}

TEST_F(LiveKeys, RejectedDescriptionTypesNothing) {
    const RuntimeError e = testing::errorOf([&] { action_.doAction("sendkeys:abc{FOO}"); });
    EXPECT_EQ(e.number(), 5);
    EXPECT_EQ(e.text(), "Invalid procedure call or argument: unknown key name {FOO}");
    action_.doAction("sendkeys:z");
    EXPECT_EQ(arrived("z"), "z");
}

TEST_F(LiveKeys, NoFocusedWindowIsAnError) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(x_, &focus, &revert);
    XSetInputFocus(x_, None, RevertToNone, CurrentTime);
    XSync(x_, False);
    const std::string text = testing::errorOf([&] { action_.doAction("sendkeys:abc"); }).text();
    XSetInputFocus(x_, focus, revert, CurrentTime);
    XSync(x_, False);
    EXPECT_EQ(text, "Device unavailable: keystrokes cannot be sent: no window has the input focus.");
    action_.doAction("sendkeys:z");
    EXPECT_EQ(arrived("z"), "z");
}

TEST_F(LiveKeys, ModifiersTheUserHoldsDoNotLeakAndStayHeld) {
    KeyCode shift = code(XK_Shift_L), ctrl = code(XK_Control_R);
    XTestFakeKeyEvent(x_, shift, True, CurrentTime);
    XTestFakeKeyEvent(x_, ctrl, True, CurrentTime);
    XSync(x_, False);
    action_.doAction("sendkeys:abc");
    EXPECT_EQ(arrived("abc"), "abc");
    char keys[32];
    XQueryKeymap(x_, keys);
    EXPECT_TRUE(keys[shift / 8] & (1 << (shift % 8))) << "Shift was not pressed again";
    EXPECT_TRUE(keys[ctrl / 8] & (1 << (ctrl % 8))) << "Ctrl was not pressed again";
    XTestFakeKeyEvent(x_, ctrl, False, CurrentTime);
    XTestFakeKeyEvent(x_, shift, False, CurrentTime);
    XSync(x_, False);
    action_.doAction("sendkeys:d");
    EXPECT_EQ(arrived("abcd"), "abcd");
}

TEST_F(LiveKeys, CapsLockDoesNotChangeTheCase) {
    XkbLockModifiers(x_, XkbUseCoreKbd, LockMask, LockMask);
    XSync(x_, False);
    // Characters come out as written; an explicit Shift+x acts like the
    // keyboard does under Caps Lock.
    action_.doAction("sendkeys:aB\xE4\xC4+x");  // aBäÄ then Shift+x
    std::string got = arrived("aBäÄx");
    XkbLockModifiers(x_, XkbUseCoreKbd, LockMask, 0);
    XSync(x_, False);
    EXPECT_EQ(got, "aBäÄx");
}

TEST_F(LiveKeys, AltGrLevelsOfAGermanKeymap) {
    setLayout("de");
    int euroKeys = keycodesWith(XK_EuroSign);
    action_.doAction("sendkeys:\x80@zy\xE4\xC4{}}\\");  // €@zyäÄ}\ through the keymap itself
    std::string got = arrived("€@zyäÄ}\\");
    int euroKeysAfter = keycodesWith(XK_EuroSign);
    setLayout("us");
    EXPECT_EQ(got, "€@zyäÄ}\\");
    EXPECT_EQ(euroKeysAfter, euroKeys) << "a spare key was bound though the keymap has €";
}

TEST_F(LiveKeys, LatinTextWhileASecondLayoutIsActive) {
    setLayout("us,ru");
    XkbLockGroup(x_, XkbUseCoreKbd, 1);
    XSync(x_, False);
    action_.doAction("sendkeys:Ab1,x");
    std::string got = arrived("Ab1,x");
    XkbLockGroup(x_, XkbUseCoreKbd, 0);
    XSync(x_, False);
    setLayout("us");
    EXPECT_EQ(got, "Ab1,x");
}

// Without a display the sender says so; a description it rejects is still error 5.
class NoDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
            const char* v = std::getenv(name);
            saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
            unsetenv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    static RuntimeError errorOf(const char* keys, const std::string& display = {}) {
        return testing::errorOf([&] { KeystrokeSender(display).sendKeys(keys, false); });
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(NoDisplay, WaylandSessionWithoutX11IsNamed) {
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    RuntimeError e = errorOf("abc");
    EXPECT_EQ(e.number(), 68);
    EXPECT_NE(e.text().find("Wayland session without X11 access"), std::string::npos) << e.text();
    unsetenv("WAYLAND_DISPLAY");
    setenv("XDG_SESSION_TYPE", "wayland", 1);
    EXPECT_NE(errorOf("abc").text().find("Wayland"), std::string::npos);
}

TEST_F(NoDisplay, MissingOrUnreachableDisplayIsNamed) {
    RuntimeError e = errorOf("abc");
    EXPECT_EQ(e.number(), 68);
    EXPECT_EQ(e.text(),
              "Device unavailable: keystrokes cannot be sent: there is no X display "
              "(DISPLAY is not set).");
    e = errorOf("abc", ":9999");
    EXPECT_EQ(e.number(), 68);
    EXPECT_NE(e.text().find("the X display \":9999\" cannot be opened"), std::string::npos);
}

TEST_F(NoDisplay, DescriptionIsCheckedFirstAndEmptyOneNeedsNoDisplay) {
    EXPECT_EQ(errorOf("a}").number(), 5);
    EXPECT_EQ(errorOf("").number(), -1);
}

// The keysym tables need no display.
TEST(X11Keysyms, CharactersAndNamedKeys) {
    EXPECT_EQ(wantedFor(KeyEvent::character(U'a')), (Wanted{XK_a, 0x01000061}));
    EXPECT_EQ(wantedFor(KeyEvent::character(U'\u20AC')), (Wanted{XK_EuroSign, 0x010020AC}));
    EXPECT_EQ(wantedFor(KeyEvent::character(U'\u03A9')), (Wanted{0x010003A9, 0x010003A9}));
    EXPECT_EQ(wantedFor(KeyEvent::tap(NamedKey::F12)).sym, XK_F12);
    EXPECT_EQ(wantedFor(KeyEvent::tap(NamedKey::PageDown)).sym, XK_Next);
    EXPECT_EQ(wantedFor(KeyEvent::tap(NamedKey::VolumeUp)).sym, XF86XK_AudioRaiseVolume);
    EXPECT_EQ(wantedFor(KeyEvent::tap(NamedKey::MediaPlayPause)).sym, XF86XK_AudioPlay);
    EXPECT_EQ(describe(wantedFor(KeyEvent::tap(NamedKey::BrowserBack))), "the key XF86Back");
    EXPECT_EQ(describe(wantedFor(KeyEvent::character(U'\u20AC'))), "'\xE2\x82\xAC'");
    EXPECT_EQ(describe(wantedFor(KeyEvent::tap(NamedKey::Tab))), "the key Tab");
    EXPECT_FALSE(typesKey(KeyEvent::press(Modifier::Shift)));
}

}  // namespace
}  // namespace vostel::x11
