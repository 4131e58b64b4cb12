#include "runtime/system_error.h"

#include <cstring>

namespace vostel {

std::string systemReason(unsigned long code) { return std::strerror(static_cast<int>(code)); }

RuntimeError fileError(unsigned long code, std::string_view what) {
    return errorFromErrno(static_cast<int>(code), what);
}

}  // namespace vostel
