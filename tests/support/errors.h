#pragma once
// The run-time error a call raises, for tests of its number and text.
#include "runtime/error.h"

namespace vostel::testing {

// The RuntimeError `f` raises; number -1 with the text "no error" when it raises none.
template <class F>
RuntimeError errorOf(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e;
    }
    return RuntimeError(-1, "no error");
}

}  // namespace vostel::testing
