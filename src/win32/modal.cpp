#include "win32/modal.h"

#include <commctrl.h>

#include <vector>

#include "win32/window_text.h"

namespace vostel::win32 {

namespace {

BOOL CALLBACK collectEnabled(HWND hwnd, LPARAM list) {
    if (IsWindowEnabled(hwnd) && IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

}  // namespace

void runModal(HWND window, const bool& done) {
    std::vector<HWND> others;
    EnumThreadWindows(GetCurrentThreadId(), collectEnabled, reinterpret_cast<LPARAM>(&others));
    for (HWND w : others)
        if (w != window) EnableWindow(w, FALSE);
    MSG msg;
    bool quit = false;
    int exitCode = 0;
    while (!done && IsWindow(window)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {  // the program is ending: leave, and let the outer loop see it
            quit = true;
            exitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got < 0) break;
        if (IsWindow(window) && IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    for (HWND w : others)
        if (w != window && IsWindow(w)) EnableWindow(w, TRUE);
    if (quit) PostQuitMessage(exitCode);
}

int runMainLoop(HWND mainWindow) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsWindow(mainWindow) && IsDialogMessageW(mainWindow, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

HFONT messageFont() {
    static HFONT font = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            return CreateFontIndirectW(&metrics.lfMessageFont);
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

void setFont(HWND control) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(messageFont()), TRUE);
}

HWND createControl(HWND parent, const wchar_t* cls, std::wstring_view text, DWORD style, DWORD exStyle,
                   int left, int top, int width, int height, int id) {
    const std::wstring caption(text);
    HWND control =
        CreateWindowExW(exStyle, cls, caption.c_str(), WS_CHILD | WS_VISIBLE | style, twipsToPixels(left),
                        twipsToPixels(top), twipsToPixels(width), twipsToPixels(height), parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    setFont(control);
    return control;
}

HWND createControl(HWND parent, const ControlLayout& control, int id) {
    const wchar_t* cls = L"EDIT";
    DWORD style = WS_TABSTOP;
    DWORD exStyle = WS_EX_CLIENTEDGE;
    switch (control.kind) {
        case ControlKind::MultiLineText:
            style |= WS_HSCROLL | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_NOHIDESEL;
            break;
        case ControlKind::SingleLineText:
            style |= ES_AUTOHSCROLL;
            break;
        case ControlKind::PushButton:
            cls = L"BUTTON";
            style |= BS_PUSHBUTTON;
            exStyle = 0;
            break;
        case ControlKind::PictureArea:  // a window of its own (win32/picture_box.h)
            return nullptr;
    }
    const TwipsRect& r = control.place;
    HWND hwnd = createControl(parent, cls, widen(control.caption), style, exStyle, r.left, r.top, r.width,
                              r.height, id);
    if (!control.toolTip.empty()) addToolTip(parent, hwnd, control.toolTip);
    return hwnd;
}

void addToolTip(HWND owner, HWND control, std::string_view text) {
    static bool initialised = [] {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)initialised;
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    std::wstring wide = widen(text);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = wide.data();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    // Long tips wrap instead of running off the screen.
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 400);
}

const wchar_t* registerClass(const wchar_t* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);  // fails harmlessly when already registered
    return name;
}

}  // namespace vostel::win32
