#pragma once
// Types key descriptions into the window that has the input focus, with
// SendInput. A character that the receiving program's keyboard layout has on
// one key goes as a press of that key, with the Shift, Ctrl and Alt it needs,
// so that programs reacting to keys (a player's Space, a game, a shortcut
// such as ^c) see one; a character the layout lacks (€ on a US layout) goes
// as Unicode input and arrives as itself. Modifier keys the user holds are
// let go for the moment and pressed again afterwards.
#include <string_view>
#include <vector>

#include "action/keys.h"
#include "action/keystroke_sender.h"

struct tagINPUT;

namespace vostel::win32 {

class KeystrokeSender final : public vostel::KeystrokeSender {
public:
    // Parses the whole description first (error 5, nothing typed), then hands
    // every key to the system in one SendInput call. `wait` changes nothing:
    // the system cannot tell when a window has processed the keys.
    void sendKeys(std::string_view keys, bool wait) override;
};

}  // namespace vostel::win32
