#include "win32/prompts.h"

#include <windows.h>

#include "win32/modal.h"
#include "win32/window_text.h"

namespace vostel::win32 {

namespace {

constexpr int kPromptId = 100;
constexpr int kFieldId = 101;
constexpr int kIconMask = 0x70;  // MB_ICONHAND ... MB_ICONASTERISK, as the classic styles number them

struct InputBoxState {
    bool done = false;
    bool ok = false;
    HWND field = nullptr;
    std::wstring text;
};

LRESULT CALLBACK inputBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = windowObject<InputBoxState>(hwnd, msg, lParam);
    switch (msg) {
        case WM_COMMAND:
            // Enter and Escape arrive here as IDOK and IDCANCEL too.
            if (state && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
                state->ok = LOWORD(wParam) == IDOK;
                if (state->ok) {
                    state->text = textOf(state->field);
                }
                state->done = true;
            }
            return 0;
        case WM_CLOSE:
            if (state) state->done = true;
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

std::string Prompts::inputBox(std::string_view prompt, std::string_view title) {
    const wchar_t* cls = registerClass(L"VostelInputBox", inputBoxProc, GetSysColorBrush(COLOR_BTNFACE));
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    constexpr DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT r{0, 0, twipsToPixels(5400), twipsToPixels(1800)};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const PixelRect place = inputBoxPlace({work.left, work.top, work.right - work.left, work.bottom - work.top},
                                          r.right - r.left, r.bottom - r.top);

    InputBoxState state;
    const std::wstring caption = widen(title);
    HWND box = CreateWindowExW(exStyle, cls, caption.c_str(), style, place.left, place.top, place.width,
                               place.height, nullptr, nullptr, GetModuleHandleW(nullptr), &state);
    createControl(box, L"STATIC", widen(prompt), SS_LEFT, 0, 120, 120, 3960, 1080, kPromptId);
    createControl(box, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 4200, 120, 1080, 375, IDOK);
    createControl(box, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, 4200, 600, 1080, 375, IDCANCEL);
    state.field = createControl(box, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 120, 1320,
                                5160, 330, kFieldId);
    ShowWindow(box, SW_SHOWNORMAL);
    SetForegroundWindow(box);
    SetFocus(state.field);
    runModal(box, state.done);
    if (IsWindow(box)) DestroyWindow(box);
    return state.ok ? narrow(state.text) : std::string();
}

void Prompts::msgBox(std::string_view text, int style, std::string_view title) {
    const std::wstring body = widen(text);
    const std::wstring caption = widen(title);
    MessageBoxW(nullptr, body.c_str(), caption.c_str(),
                MB_OK | MB_TASKMODAL | MB_SETFOREGROUND | static_cast<UINT>(style & kIconMask));
}

}  // namespace vostel::win32
