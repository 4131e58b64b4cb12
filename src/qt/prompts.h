#pragma once
// The classic modal input box and message box, built on Qt's dialogs.
#include "serial/serial_control.h"

namespace vostel::qt {

class Prompts final : public vostel::Prompts {
public:
    // A prompt, a single-line field, OK and Cancel; centred horizontally about
    // a third down the screen. OK or Enter return the text, Cancel, Escape
    // and the close box an empty text.
    std::string inputBox(std::string_view prompt, std::string_view title) override;
    // The icon comes from the style (16 critical, 32 question, 48 warning,
    // 64 information); the box has one OK button, the only button set used.
    void msgBox(std::string_view text, int style, std::string_view title) override;
};

}  // namespace vostel::qt
