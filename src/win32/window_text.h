#pragma once
// The text a window or control shows, and the conversions the Win32 API's
// wide texts need.
#include <windows.h>

#include <string>

#include "runtime/wide_text.h"

namespace vostel::win32 {

std::wstring textOf(HWND control);

}  // namespace vostel::win32
