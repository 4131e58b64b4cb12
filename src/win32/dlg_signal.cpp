#include "win32/dlg_signal.h"

#include "library/storable_text.h"
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
    const WindowLayout& layout = dlgSignalLayout();
    const wchar_t* cls = registerClass(L"VostelSignalDialog", proc, GetSysColorBrush(COLOR_BTNFACE));
    // The client area has a fixed size and a fixed place on the screen.
    const PixelRect client = toPixels(layout.client);
    RECT r{client.left, client.top, client.left + client.width, client.top + client.height};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    hwnd_ = CreateWindowExW(kExStyle, cls, widen(layout.caption).c_str(), kStyle, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr),
                            this);
    // Created in Tab order.
    for (std::size_t i = 0; i < layout.controls.size(); ++i)
        createControl(hwnd_, layout.controls[i], kText1 + static_cast<int>(i));
    text1_ = GetDlgItem(hwnd_, kText1);
    SendMessageW(text1_, EM_SETLIMITTEXT, 0, 0);  // no length limit of its own
}

void dlgSignal::hide() {
    hidden_ = true;
    ShowWindow(hwnd_, SW_HIDE);
}

void dlgSignal::keepRepresentable() {
    const std::wstring text = textOf(text1_);
    const std::u16string typed(text.begin(), text.end());  // both UTF-16
    DWORD start = 0, end = 0;
    SendMessageW(text1_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const StorableText shown = storableText(typed, end);
    if (shown.text == typed) return;
    fixing_ = true;
    SetWindowTextW(text1_, std::wstring(shown.text.begin(), shown.text.end()).c_str());
    fixing_ = false;
    const auto caret = static_cast<WPARAM>(shown.cursor);
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
