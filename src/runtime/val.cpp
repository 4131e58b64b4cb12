#include "runtime/val.h"

#include "runtime/error.h"

namespace vostel {

// Implemented with the foundation work; see tests/runtime.
double Val(std::string_view) { throw RuntimeError(kErrInvalidCall, "Val is not built yet"); }
int16_t cint(double) { throw RuntimeError(kErrInvalidCall, "cint is not built yet"); }

}  // namespace vostel
