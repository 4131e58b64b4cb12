#pragma once
// Types key descriptions into the window that has the input focus, with
// SendInput. Characters go as Unicode input, so ä, € and Š arrive as
// themselves whatever the keyboard layout; with Ctrl or Alt held (^ and %),
// or Shift (+), a character goes as its key on the current layout instead, so
// that shortcuts such as ^c work. Modifier keys the user holds are let go
// for the moment and pressed again afterwards.
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
