// vostel-probe.exe: looks at and types into real Wine windows for the
// end-to-end test of vostel.exe.
//   vostel-probe log             prints the text of vostel.exe's log (UTF-8, lines ended by LF)
//   vostel-probe text TITLE      prints the texts of the static controls of the window TITLE
//                                (a message box's message), one a line
//   vostel-probe keytarget FILE  a separate window "vostel-keytarget" with a text box that
//                                has the focus; writes "ready" and then, after every change,
//                                "text:" and the box's text (UTF-8) to FILE; and every key
//                                press the box receives as "down VK" and every character as
//                                "char CODE" (hexadecimal), one a line, to FILE.keys
//   vostel-probe foreground      prints the class of the foreground window and, when it is
//                                vostel.exe's, "focus" and the name of the control that has the focus
//   vostel-probe layout          prints the client size of vostel.exe's window and the size of
//                                its picture area, in pixels: "W H PW PH"
//   vostel-probe shortcut FILE   prints a shortcut's target and its working folder, one a line
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "runtime/wide_text.h"
#include "win32/frm_main.h"

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
            if (HIWORD(wParam) == EN_CHANGE) report("text:" + withoutCr(vostel::narrow(textOf(g_box))));
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
    std::FILE* keys = std::fopen((g_file + ".keys").c_str(), "wb");  // lines end in LF
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!ready && GetFocus() == g_box) {
            ready = true;
            report("ready");
        }
        if (keys && msg.hwnd == g_box) {
            if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
                std::fprintf(keys, "down %02X\n", static_cast<unsigned>(msg.wParam));
            if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR)
                std::fprintf(keys, "char %04X\n", static_cast<unsigned>(msg.wParam));
            std::fflush(keys);
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

int printForeground() {
    HWND window = GetForegroundWindow();
    wchar_t cls[64] = {};
    if (window) GetClassNameW(window, cls, 64);
    std::printf("%s\n", window ? vostel::narrow(cls).c_str() : "none");
    if (lstrcmpW(cls, L"VostelMain") != 0) return 0;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus) return 0;
    using vostel::win32::frmMain;
    const char* name = "other";
    switch (GetDlgCtrlID(info.hwndFocus)) {
        case frmMain::kPicMain:
            name = "picMain";
            break;
        case frmMain::kTxt1:
            name = "txt1";
            break;
        case frmMain::kButRec:
            name = "butRec";
            break;
        case frmMain::kBtnLoadIRData:
            name = "btnLoadIRData";
            break;
        default:
            break;
    }
    std::printf("focus %s\n", info.hwndFocus == window ? "the window itself" : name);
    return 0;
}

int printLayout() {
    HWND main = FindWindowW(L"VostelMain", nullptr);
    HWND pic = main ? GetDlgItem(main, vostel::win32::frmMain::kPicMain) : nullptr;
    if (!pic) {
        std::fprintf(stderr, "vostel-probe: no vostel.exe window\n");
        return 1;
    }
    RECT client{}, picture{};
    GetClientRect(main, &client);
    GetWindowRect(pic, &picture);
    std::printf("%ld %ld %ld %ld\n", client.right, client.bottom, picture.right - picture.left,
                picture.bottom - picture.top);
    return 0;
}

int printShortcut(const char* file) {
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    wchar_t target[MAX_PATH] = {}, folder[MAX_PATH] = {};
    const bool read = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                 IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
                      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
                      SUCCEEDED(persist->Load(vostel::widen(file).c_str(), STGM_READ)) &&
                      SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
                      SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    if (persist) persist->Release();
    if (link) link->Release();
    if (!read) {
        std::fprintf(stderr, "vostel-probe: cannot read the shortcut %s\n", file);
        return 1;
    }
    std::printf("%s\n%s\n", vostel::narrow(target).c_str(), vostel::narrow(folder).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "log" && argc == 2) return printLog();
    if (command == "keytarget" && argc == 3) return keyTarget(argv[2]);
    if (command == "text" && argc == 3) return printTexts(argv[2]);
    if (command == "foreground" && argc == 2) return printForeground();
    if (command == "layout" && argc == 2) return printLayout();
    if (command == "shortcut" && argc == 3) return printShortcut(argv[2]);
    std::fprintf(
        stderr,
        "usage: vostel-probe log | text TITLE | keytarget FILE | foreground | layout | shortcut FILE\n");
    return 2;
}
