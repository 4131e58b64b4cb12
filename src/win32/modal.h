#pragma once
// Shared pieces of the Win32 windows: the modal loop, controls built from the
// layout, the message font and tool tips. The program is per-monitor DPI
// aware (its manifest): each window lays itself out for the DPI of the
// monitor it is on, with twipsToPixels at that DPI (Windows 10 1607 or later).
#include <windows.h>

#include <string_view>

#include "app/layout.h"

namespace vostel::win32 {

// The DPI of the monitor `window` is on; without a window, that of the main monitor.
int dpiOf(HWND window);

// Remembers a child control's place in twips, for laying it out again at another DPI.
void rememberPlace(HWND control, TwipsRect place);
// Puts every remembered child of `parent` at its place for `dpi`, with the font for it.
void layOutChildren(HWND parent, int dpi);

// Runs the event loop until `done` turns true or `window` is destroyed, with
// every other window of the thread disabled, as a modal window needs. Tab and
// the arrow keys move the focus between the window's controls. When it returns,
// the other windows are enabled again, so that the caller can activate one of
// them before it hides `window`.
void runModal(HWND window, const bool& done);

// Ctrl+A selects the whole text of an edit control (the classic control has no
// select-all of its own); in a multi-line one Escape does nothing (the control
// would otherwise close the window it sits in).
void addTextBoxKeys(HWND edit);

// Runs the event loop of the main window until the program ends; returns the exit code.
int runMainLoop(HWND mainWindow);

// The system's message font at a DPI, for every control.
HFONT messageFont(int dpi);
void setFont(HWND control);  // for the DPI of its window

// A child control at a place given in twips, at the DPI of its window.
HWND createControl(HWND parent, const wchar_t* cls, std::wstring_view text, DWORD style, DWORD exStyle,
                   int left, int top, int width, int height, int id);
// A control of a window's layout (a text box or a push button) with its
// kind's class, styles and keys (addTextBoxKeys for a text box), at its place,
// with its caption and tool tip.
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
