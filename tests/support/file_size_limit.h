#pragma once
// Writes that fail like a full disk, through the process's file size limit (POSIX).
#include <signal.h>
#include <sys/resource.h>

namespace vostel::testing {

// Runs f with writes limited to files of `bytes` bytes: writing beyond fails
// with EFBIG, like a full disk, also for root.
template <class F>
auto withFileSizeLimit(rlim_t bytes, F f) {
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
    auto result = f();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    return result;
}

}  // namespace vostel::testing
