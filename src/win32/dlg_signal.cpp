#include "win32/dlg_signal.h"

#include "win32/modal.h"
#include "win32/window_text.h"

namespace vostel::win32 {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;  // fixed border, only the close box
// A tool window is not shown in the task bar.
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

dlgSignal::~dlgSignal() {
    if (IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void dlgSignal::create() {
    const wchar_t* cls = registerClass(L"VostelSignalDialog", proc, GetSysColorBrush(COLOR_BTNFACE));
    // The client area has a fixed size and a fixed place on the screen.
    RECT r{px(2760), px(3750), px(2760) + px(2805), px(3750) + px(1080)};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    hwnd_ =
        CreateWindowExW(kExStyle, cls, L"Enter ID for Signal-Packet", kStyle, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    text1_ = createControl(hwnd_, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 120, 120, 2535,
                           375, kText1);
    SendMessageW(text1_, EM_SETLIMITTEXT, 0, 0);  // no length limit of its own
    addToolTip(hwnd_, text1_, "Gib hier einen knappen Text als ID für dieses Signal an");
    createControl(hwnd_, L"BUTTON", L"OK", WS_TABSTOP | BS_PUSHBUTTON, 0, 120, 600, 1215, 375, kOKButton);
    createControl(hwnd_, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, 1440, 600, 1215, 375,
                  kCancelButton);
}

void dlgSignal::hide() {
    hidden_ = true;
    ShowWindow(hwnd_, SW_HIDE);
}

void dlgSignal::keepRepresentable() {
    const std::wstring typed = textOf(text1_);
    const std::wstring shown = cp1252ToWide(wideToCp1252(typed));
    if (shown == typed) return;
    DWORD start = 0, end = 0;
    SendMessageW(text1_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    // The caret stays behind the same character: count what the text before it became.
    const auto caret = static_cast<WPARAM>(
        cp1252ToWide(wideToCp1252(typed.substr(0, std::min<std::size_t>(end, typed.size())))).size());
    fixing_ = true;
    SetWindowTextW(text1_, shown.c_str());
    fixing_ = false;
    SendMessageW(text1_, EM_SETSEL, caret, static_cast<LPARAM>(caret));
}

bool dlgSignal::showDialog(std::string& retString) {
    if (!hwnd_) create();
    hidden_ = false;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    // Typing goes to the text box at once; the ID offered is selected, so a new one replaces it.
    SetFocus(text1_);
    SendMessageW(text1_, EM_SETSEL, 0, -1);
    runModal(hwnd_, hidden_);
    if (!IsWindow(hwnd_)) {
        // The close box discarded the window and its text; the next show makes a fresh, empty one.
        hwnd_ = text1_ = nullptr;
        if (okPressed_) retString.clear();
        return okPressed_;
    }
    if (okPressed_) retString = wideToCp1252(textOf(text1_));
    return okPressed_;
}

LRESULT CALLBACK dlgSignal::proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    dlgSignal* self = windowObject<dlgSignal>(hwnd, msg, lParam);
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kOKButton:
                    if (HIWORD(wParam) == BN_CLICKED) {
                        self->okPressed_ = true;
                        self->hide();
                    }
                    break;
                case kCancelButton:
                    if (HIWORD(wParam) == BN_CLICKED) {
                        self->okPressed_ = false;
                        self->hide();
                    }
                    break;
                case kText1:
                    if (HIWORD(wParam) == EN_CHANGE && !self->fixing_) self->keepRepresentable();
                    break;
                default:
                    break;  // IDOK and IDCANCEL (Enter, Escape) do nothing
            }
            return 0;
        case WM_CLOSE:
            // The close box neither sets nor clears okPressed.
            self->hidden_ = true;
            DestroyWindow(hwnd);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace vostel::win32
