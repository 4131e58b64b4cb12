#pragma once
// dlgSignal on Windows: the modal dialog in which the user names a packet
// being recorded.
#include <windows.h>

#include <string>

#include "app/layout.h"
#include "library/naming_prompt.h"

namespace vostel::win32 {

class dlgSignal final : public NamingPrompt {
public:
    // Control identifiers, numbered in Tab order like the layout's controls.
    // Neither button is IDOK or IDCANCEL, so Enter and Escape press neither.
    enum : int {
        kText1 = 100 + static_cast<int>(SignalControl::Text1),
        kOKButton = 100 + static_cast<int>(SignalControl::OKButton),
        kCancelButton = 100 + static_cast<int>(SignalControl::CancelButton),
    };

    dlgSignal() = default;
    ~dlgSignal() override;
    dlgSignal(const dlgSignal&) = delete;
    dlgSignal& operator=(const dlgSignal&) = delete;

    // Shows the dialog modally, creating it if needed. Returns okPressed; when
    // it is true, sets retString to the text of Text1 in Windows-1252.
    bool showDialog(std::string& retString) override;

    bool okPressed() const { return okPressed_; }
    // The dialog window while it exists: created on first use, only hidden by
    // OK and Cancel, discarded by the close box.
    HWND window() const { return hwnd_; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void create();
    void hide();
    // Shows characters that Windows-1252 lacks as '?' at once, as they are typed or pasted.
    void keepRepresentable();

    HWND hwnd_ = nullptr;
    HWND text1_ = nullptr;
    bool okPressed_ = false;
    bool hidden_ = true;  // ends the modal show
    bool fixing_ = false;
};

}  // namespace vostel::win32
