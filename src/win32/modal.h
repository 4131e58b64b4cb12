#pragma once
// Shared pieces of the Win32 windows: the modal loop, controls built from the
// layout, the message font and tool tips. Windows scales the whole window on
// high-DPI screens (the program does not declare itself DPI-aware), as Qt
// scales its logical pixels.
#include <windows.h>

#include <string_view>

#include "app/layout.h"

namespace vostel::win32 {

// Runs the event loop until `done` turns true or `window` is destroyed, with
// every other window of the thread disabled, as a modal window needs. Tab and
// the arrow keys move the focus between the window's controls.
void runModal(HWND window, const bool& done);

// Runs the event loop of the main window until the program ends; returns the exit code.
int runMainLoop(HWND mainWindow);

// The system's message font, for every control.
HFONT messageFont();
void setFont(HWND control);

// A child control at a place given in twips.
HWND createControl(HWND parent, const wchar_t* cls, std::wstring_view text, DWORD style, DWORD exStyle,
                   int left, int top, int width, int height, int id);
// A control of a window's layout (a text box or a push button) with its
// kind's class and styles, at its place, with its caption and tool tip.
HWND createControl(HWND parent, const ControlLayout& control, int id);

// Gives `control` the tool tip `text` (UTF-8).
void addToolTip(HWND owner, HWND control, std::string_view text);

// Registers a window class once; returns its name.
const wchar_t* registerClass(const wchar_t* name, WNDPROC proc, HBRUSH background);

// The object stored with a window by its WM_NCCREATE (lpCreateParams).
template <class T>
T* windowObject(HWND hwnd, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace vostel::win32
