// vostel-probe.exe: looks at and types into real Wine windows for the
// end-to-end test of vostel.exe.
//   vostel-probe log             prints the text of vostel.exe's log (UTF-8, lines ended by LF)
//   vostel-probe text TITLE      prints the texts of the static controls of the window TITLE
//                                (a message box's message), one a line
//   vostel-probe keytarget FILE  a separate window "vostel-keytarget" with a text box that
//                                has the focus; writes "ready" and then, after every change,
//                                "text:" and the box's text (UTF-8) to FILE
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "win32/frm_main.h"
#include "runtime/wide_text.h"

namespace {

std::wstring textOf(HWND control) {
    const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(control, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string withoutCr(std::string s) {
    std::erase(s, '\r');
    return s;
}

int printLog() {
    HWND main = FindWindowW(L"VostelMain", nullptr);
    HWND log = main ? GetDlgItem(main, vostel::win32::frmMain::kTxt1) : nullptr;
    if (!log) {
        std::fprintf(stderr, "vostel-probe: no vostel.exe window\n");
        return 1;
    }
    const std::string text = withoutCr(vostel::narrow(textOf(log)));
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in LF, as on Linux
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

BOOL CALLBACK printStatic(HWND child, LPARAM) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Static") == 0) {
        const std::string text = withoutCr(vostel::narrow(textOf(child)));
        if (!text.empty()) std::printf("%s\n", text.c_str());
    }
    return TRUE;
}

int printTexts(const char* title) {
    HWND window = FindWindowW(nullptr, vostel::widen(title).c_str());
    if (!window) {
        std::fprintf(stderr, "vostel-probe: no window '%s'\n", title);
        return 1;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    EnumChildWindows(window, printStatic, 0);
    return 0;
}

std::string g_file;
HWND g_box = nullptr;

void report(const std::string& line) {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out << line;
}

LRESULT CALLBACK targetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE)
                report("text:" + withoutCr(vostel::narrow(textOf(g_box))));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

int keyTarget(const char* file) {
    g_file = file;
    WNDCLASSW wc{};
    wc.lpfnWndProc = targetProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"VostelKeyTarget";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"vostel-keytarget", WS_OVERLAPPEDWINDOW, 20, 450, 400,
                                  120, nullptr, nullptr, wc.hInstance, nullptr);
    g_box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, 5, 5, 370,
                            70, window, nullptr, wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetFocus(g_box);
    bool ready = false;
    MSG msg;
    SetTimer(window, 1, 50, nullptr);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!ready && GetFocus() == g_box) {
            ready = true;
            report("ready");
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "log" && argc == 2) return printLog();
    if (command == "keytarget" && argc == 3) return keyTarget(argv[2]);
    if (command == "text" && argc == 3) return printTexts(argv[2]);
    std::fprintf(stderr, "usage: vostel-probe log | text TITLE | keytarget FILE\n");
    return 2;
}
