#pragma once
// Which keystroke sender a Linux session offers. The choice is made at the
// first description that types something and kept for the program's life;
// the edges only open (probe) the sender they are asked for.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "action/keystroke_sender.h"
#include "runtime/error.h"

namespace vostel {

enum class SenderKind : std::uint8_t { VirtualKeyboard, KdeFakeInput, Portal, XTest };

// What the environment says: WAYLAND_DISPLAY and DISPLAY set and not empty.
struct Session {
    bool wayland = false;
    bool x11 = false;
    static Session fromEnvironment();
};

// A sender that this session cannot give, and why, in a few words.
class SenderUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A sender the session offers that failed where the user must hear of it
// (the desktop refused, its portal went away): the choice ends with this error.
class SenderFailed : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

// Opens a sender of the kind; raises SenderUnavailable (or a RuntimeError) when it cannot.
using SenderProbe = std::function<std::unique_ptr<KeystrokeSender>(SenderKind)>;

// The senders to try, best first: under Wayland the compositor's own ways,
// then XTest through XWayland; in an X11 session XTest alone.
std::vector<SenderKind> sendersToTry(const Session& session);

// For messages: "the compositor's virtual keyboard", "XTest", ...
std::string_view describe(SenderKind kind);

// The first sender of `sendersToTry` that opens. None: RuntimeError 68
// naming each one tried and why it failed. A SenderFailed ends the choice.
std::unique_ptr<KeystrokeSender> chooseSender(const Session& session, const SenderProbe& probe,
                                              SenderKind* chosen = nullptr);

// The program's sender on Linux: checks each description whole first, then
// types it through the sender chosen at the first one that types something.
class ChosenKeystrokeSender final : public KeystrokeSender {
public:
    ChosenKeystrokeSender(Session session, SenderProbe probe);
    void sendKeys(std::string_view keys, bool wait) override;
    std::optional<SenderKind> chosen() const { return kind_; }

private:
    Session session_;
    SenderProbe probe_;
    std::unique_ptr<KeystrokeSender> sender_;
    std::optional<SenderKind> kind_;
};

}  // namespace vostel
