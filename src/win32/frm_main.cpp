#include "win32/frm_main.h"

#include "win32/modal.h"
#include "win32/window_text.h"

namespace vostel::win32 {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;

}  // namespace

frmMain::frmMain() {
    const WindowLayout& layout = frmMainLayout();
    const wchar_t* cls = registerClass(L"VostelMain", proc, GetSysColorBrush(COLOR_BTNFACE));
    RECT r{0, 0, twipsToPixels(layout.client.width), twipsToPixels(layout.client.height)};
    AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, cls, widen(layout.caption).c_str(), kStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);

    // Created in Tab order, which is the order the dialog manager's Tab follows.
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlLayout& control = layout.controls[i];
        const int id = kPicMain + static_cast<int>(i);
        if (control.kind == ControlKind::PictureArea) {
            const PixelRect p = toPixels(control.place);
            picMain_ = std::make_unique<PictureBox>(hwnd_, p.left, p.top, p.width, p.height, id);
        } else {
            createControl(hwnd_, control, id);
        }
    }
    txt1_ = GetDlgItem(hwnd_, kTxt1);
    SendMessageW(txt1_, EM_SETLIMITTEXT, 0, 0);  // the log may grow beyond the default 30,000 characters
    SetWindowLongPtrW(txt1_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    editProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(txt1_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(logProc)));
}

frmMain::~frmMain() {
    if (IsWindow(hwnd_)) {
        KillTimer(hwnd_, kTimer1);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void frmMain::showForm() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    SetFocus(picMain_->hwnd());
}

void frmMain::enableTimer1() { SetTimer(hwnd_, kTimer1, kTimer1IntervalMs, nullptr); }

void frmMain::prependLog(std::string_view theID) {
    // Replacing an empty selection at the start inserts there, without an undo step.
    const std::wstring line = cp1252ToWide(theID) + L"\r\n";
    SendMessageW(txt1_, EM_SETSEL, 0, 0);
    SendMessageW(txt1_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageW(txt1_, EM_SETSEL, 0, 0);
    SendMessageW(txt1_, WM_VSCROLL, SB_TOP, 0);
    SendMessageW(txt1_, WM_HSCROLL, SB_LEFT, 0);
    SendMessageW(txt1_, EM_SCROLLCARET, 0, 0);
}

LRESULT CALLBACK frmMain::logProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const LRESULT result = CallWindowProcW(self->editProc_, hwnd, msg, wParam, lParam);
    if (msg == WM_GETDLGCODE) {
        // Tab moves the focus on (the log takes no tab character); Enter still starts a new line.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_TAB)
            return result & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
        return result & ~DLGC_WANTTAB;
    }
    return result;
}

LRESULT CALLBACK frmMain::proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    frmMain* self = windowObject<frmMain>(hwnd, msg, lParam);
    switch (msg) {
        case WM_TIMER:
            if (self && self->shell_ && wParam == kTimer1) self->shell_->Timer1_Timer();
            return 0;
        case WM_COMMAND:
            if (self && self->shell_ && HIWORD(wParam) == BN_CLICKED) {
                if (LOWORD(wParam) == kButRec) self->shell_->butRec_Click();
                if (LOWORD(wParam) == kBtnLoadIRData) self->shell_->btnLoadIRData_Click();
            }
            return 0;
        case WM_CTLCOLORSTATIC:  // the log keeps a white background
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace vostel::win32
