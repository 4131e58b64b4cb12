#pragma once
// What the action needs of the platform's keystroke sender.
#include <string_view>

namespace vostel {

class KeystrokeSender {
public:
    virtual ~KeystrokeSender() = default;
    // Types the key description `keys` (Windows-1252 bytes, the classic
    // SendKeys syntax) into the window that has the input focus. With `wait`
    // false it returns once the keys are handed over. Raises a RuntimeError
    // (5 for a description it rejects; nothing is typed then).
    virtual void sendKeys(std::string_view keys, bool wait) = 0;
};

}  // namespace vostel
