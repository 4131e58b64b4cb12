#include "action/sender_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/error.h"
#include "support/errors.h"

namespace vostel {
namespace {

// Probes that fail with a reason of their own, or open a sender that
// records what it is asked to type; every probe and typing goes to one list.
struct Desktop {
    std::vector<std::string> events;
    std::vector<SenderKind> offered;

    struct Sender : KeystrokeSender {
        Desktop& d;
        SenderKind kind;
        Sender(Desktop& desk, SenderKind k) : d(desk), kind(k) {}
        void sendKeys(std::string_view keys, bool) override {
            d.events.push_back(std::string(describe(kind)) + " types " + std::string(keys));
        }
    };

    SenderProbe probe() {
        return [this](SenderKind kind) -> std::unique_ptr<KeystrokeSender> {
            events.push_back("probe " + std::string(describe(kind)));
            for (SenderKind k : offered)
                if (k == kind) return std::make_unique<Sender>(*this, kind);
            if (kind == SenderKind::XTest)  // as the X11 sender words it
                throw RuntimeError(kErrDeviceUnavailable,
                                   "Device unavailable: keystrokes cannot be sent: the X display "
                                   "\":1\" cannot be opened.");
            throw SenderUnavailable("not offered here");
        };
    }
};

const Session kWayland{true, false}, kWaylandWithX{true, true}, kX11{false, true}, kNone{};

TEST(SenderChoice, OrderDependsOnTheSession) {
    using enum SenderKind;
    EXPECT_EQ(sendersToTry(kWayland), (std::vector{VirtualKeyboard, KdeFakeInput, Portal, XTest}));
    EXPECT_EQ(sendersToTry(kWaylandWithX), sendersToTry(kWayland));
    EXPECT_EQ(sendersToTry(kX11), (std::vector{XTest}));
    EXPECT_TRUE(sendersToTry(kNone).empty());
}

TEST(SenderChoice, FirstOfferedSenderIsChosenOnceAndKept) {
    Desktop d;
    d.offered = {SenderKind::Portal, SenderKind::XTest};
    ChosenKeystrokeSender keys(kWaylandWithX, d.probe());
    keys.sendKeys("", false);  // types nothing: nothing is probed
    keys.sendKeys("ab", false);
    keys.sendKeys("{VOLUME_UP}", false);
    EXPECT_EQ(d.events,
              (std::vector<std::string>{"probe the compositor's virtual keyboard", "probe KDE's fake input",
                                        "probe the RemoteDesktop portal", "the RemoteDesktop portal types ab",
                                        "the RemoteDesktop portal types {VOLUME_UP}"}));
    EXPECT_EQ(keys.chosen(), SenderKind::Portal);
}

TEST(SenderChoice, DescriptionIsCheckedBeforeAnySenderIsProbed) {
    Desktop d;
    d.offered = {SenderKind::VirtualKeyboard};
    ChosenKeystrokeSender keys(kWayland, d.probe());
    EXPECT_EQ(testing::errorOf([&] { keys.sendKeys("a{NOPE}", false); }).number(), 5);
    EXPECT_TRUE(d.events.empty());
}

TEST(SenderChoice, NothingReachedNamesEveryTryAndWhy) {
    Desktop d;
    ChosenKeystrokeSender keys(kWayland, d.probe());
    RuntimeError e = testing::errorOf([&] { keys.sendKeys("a", false); });
    EXPECT_EQ(e.number(), 68);
    EXPECT_EQ(e.text(),
              "Device unavailable: keystrokes cannot be sent: tried the compositor's virtual "
              "keyboard: not offered here; KDE's fake input: not offered here; the RemoteDesktop "
              "portal: not offered here; XTest through XWayland: DISPLAY is not set.");
    // Not kept: the next description tries again, and X11 errors lose their lead.
    ChosenKeystrokeSender withX(kWaylandWithX, d.probe());
    e = testing::errorOf([&] { withX.sendKeys("a", false); });
    EXPECT_NE(e.text().find("; XTest through XWayland: the X display \":1\" cannot be opened."),
              std::string::npos)
        << e.text();
    EXPECT_FALSE(withX.chosen());
}

TEST(SenderChoice, X11SessionKeepsXTestAndItsOwnErrors) {
    Desktop d;
    ChosenKeystrokeSender keys(kX11, d.probe());
    RuntimeError e = testing::errorOf([&] { keys.sendKeys("a", false); });
    EXPECT_EQ(e.text(),
              "Device unavailable: keystrokes cannot be sent: the X display \":1\" "
              "cannot be opened.");
    d.offered = {SenderKind::XTest};
    keys.sendKeys("a", false);
    EXPECT_EQ(d.events.back(), "XTest through XWayland types a");
    e = testing::errorOf([&] { ChosenKeystrokeSender(kNone, d.probe()).sendKeys("a", false); });
    EXPECT_EQ(e.number(), 68);
    EXPECT_EQ(e.text(),
              "Device unavailable: keystrokes cannot be sent: there is neither a "
              "Wayland nor an X11 display (WAYLAND_DISPLAY and DISPLAY are not set).");
}

}  // namespace
}  // namespace vostel
