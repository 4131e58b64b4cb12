#pragma once
// What the serial link needs of the serial communications control, property
// by property, in the order the link uses them.
#include <cstdint>
#include <string>
#include <string_view>

namespace vostel {

class SerialControl {
public:
    virtual ~SerialControl() = default;
    // Raises 8002 for a number the control cannot map to a device.
    virtual void setCommPort(int16_t number) = 0;
    // "9600,N,8,1"; raises 8015 for settings it cannot apply.
    virtual void setSettings(const std::string& settings) = 0;
    // 0: a read of input() returns everything pending.
    virtual void setInputLen(int length) = 0;
    virtual bool portOpen() const = 0;
    // Opening raises a RuntimeError naming the device and the system's reason.
    virtual void setPortOpen(bool open) = 0;
    // Writes the bytes and returns at once.
    virtual void output(std::string_view bytes) = 0;
    // Every byte received since the last call (one char per byte), empty when
    // none; never waits. A lost port raises its error once, then the control
    // reopens the same port name in the background and input() returns empty
    // text until it is back.
    virtual std::string input() = 0;
};

// The modal boxes the serial link shows at start-up.
class Prompts {
public:
    virtual ~Prompts() = default;
    // The classic input box: OK returns the text (UTF-8); Cancel, Escape and
    // the close box return an empty text.
    virtual std::string inputBox(std::string_view prompt, std::string_view title) = 0;
    // A modal message box; style 48 is the warning icon with one OK button.
    virtual void msgBox(std::string_view text, int style, std::string_view title) = 0;
};

}  // namespace vostel
