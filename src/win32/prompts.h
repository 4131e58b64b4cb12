#pragma once
// The classic modal input box and message box on Windows.
#include "serial/serial_control.h"

namespace vostel::win32 {

class Prompts final : public vostel::Prompts {
public:
    // A prompt, a single-line field, OK and Cancel; centred horizontally about
    // a third down the screen. OK or Enter return the text, Cancel, Escape
    // and the close box an empty text.
    std::string inputBox(std::string_view prompt, std::string_view title) override;
    // MessageBox with the style's icon (16 critical, 32 question, 48 warning,
    // 64 information) and one OK button, modal to every window of the program.
    void msgBox(std::string_view text, int style, std::string_view title) override;
};

}  // namespace vostel::win32
