#pragma once
// Run-time errors from Win32 error codes (GetLastError).
#include <string>
#include <string_view>

#include "runtime/error.h"

namespace vostel::win32 {

// The system's own text for an error code, in UTF-8, without the final period.
std::string systemReason(unsigned long code);

// The run-time error a file error stands for (ERROR_FILE_NOT_FOUND -> 53,
// ERROR_ACCESS_DENIED -> 70, ERROR_DISK_FULL -> 61, ...), with `what` (a file
// name) and the system's reason added to the standard text.
RuntimeError fileError(unsigned long code, std::string_view what);

}  // namespace vostel::win32
