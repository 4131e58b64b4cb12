#pragma once
// The system's own error texts, and the run-time error a failed file operation
// stands for. An error code is the system's own: errno on Linux, GetLastError()
// on Windows.
#include <string>
#include <string_view>

#include "runtime/error.h"

namespace vostel {

// The system's own text for an error code, in UTF-8, without the final period.
std::string systemReason(unsigned long code);

// The run-time error a file error stands for (not found -> 53, access denied
// -> 70, disk full -> 61, ...), with `what` (a file name) and the system's
// reason added to the standard text.
RuntimeError fileError(unsigned long code, std::string_view what);

}  // namespace vostel
