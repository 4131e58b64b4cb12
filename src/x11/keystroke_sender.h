#pragma once
// Types key descriptions into the window that has the input focus on an X
// display, through the XTEST extension. Works in X11 sessions and, under
// Wayland, for XWayland windows only.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "action/keystroke_sender.h"

typedef struct _XDisplay Display;

namespace vostel::x11 {

// A character the keyboard map lacks is bound to a spare key code. The
// binding stays until that code is needed for another character (a second
// after it was last typed at the earliest) or the sender goes: a receiving
// program re-reads the map only when it gets to the notice of the change, and
// must still find the character there then.
struct SpareKeyBinding {
    unsigned code;
    unsigned long sym;
    std::chrono::steady_clock::time_point lastUse;
};

class KeystrokeSender final : public vostel::KeystrokeSender {
public:
    // An empty `displayName` means the display that $DISPLAY names. The
    // connection is opened at the first description that types something.
    explicit KeystrokeSender(std::string displayName = {});
    // Gives the spare key codes it bound back to the keyboard map.
    ~KeystrokeSender() override;
    KeystrokeSender(const KeystrokeSender&) = delete;
    KeystrokeSender& operator=(const KeystrokeSender&) = delete;

    // Parses the whole description first (error 5, nothing typed), then
    // types it and returns as soon as the X server has taken the keys. The X
    // server cannot tell when a window has processed them, so `wait` changes
    // nothing. No X display: error 68 with a text that says why.
    void sendKeys(std::string_view keys, bool wait) override;
    // Opens the display now rather than at the first keys: error 68 as above.
    void open() { display(); }

private:
    Display* display();

    std::string displayName_;
    Display* display_ = nullptr;
    std::vector<SpareKeyBinding> bindings_;
};

}  // namespace vostel::x11
