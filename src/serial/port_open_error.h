#pragma once
// The error a serial control raises when a port cannot be opened, worded the
// same on every system; the system's reason and any hint come from the caller.

#include <string>

#include "runtime/error.h"

namespace vostel {

// Settings: the device opened but refused the line settings.
enum class PortOpenFailure { Missing, InUse, NotSerial, Settings };

// `port` names the port and its device; `hint` (may be empty) follows a missing port's text.
// For a port in use, `reason` says who holds it, where that is known (may be empty).
RuntimeError portOpenError(PortOpenFailure failure, const std::string& port, const std::string& reason,
                           const std::string& hint = {});

}  // namespace vostel
