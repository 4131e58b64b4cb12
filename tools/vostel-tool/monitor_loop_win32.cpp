// The port's cycle on Windows (monitor, learn): a periodic waitable timer every 100 ms, the
// thread's messages dispatched in between (the serial control reopens a lost
// port from a thread timer), and Ctrl+C, Ctrl+Break or the console closing
// ending it through an event set by the console's control handler.
#include <windows.h>

#include <cstdio>

#include "monitor.h"
#include "win32/serial_control.h"

namespace vostel::tool {

namespace {

HANDLE stopEvent = nullptr;

BOOL WINAPI onConsoleControl(DWORD type) {
    switch (type) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            SetEvent(stopEvent);
            return TRUE;
        default:
            return FALSE;
    }
}

// Closes a handle when it goes out of scope.
struct Handle {
    HANDLE h;
    ~Handle() {
        if (h) CloseHandle(h);
    }
};

}  // namespace

int runPortCycle(PortCycle& cycle) {
    win32::SerialControl control;
    if (!cycle.open(control)) return 2;

    const Handle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    const Handle timer{CreateWaitableTimerW(nullptr, FALSE, nullptr)};
    LARGE_INTEGER due{};
    due.QuadPart = -10000LL * PortCycle::kTickMs;  // relative, in 100 ns units
    if (!stop.h || !timer.h ||
        !SetWaitableTimer(timer.h, &due, PortCycle::kTickMs, nullptr, nullptr, FALSE)) {
        std::fprintf(stderr, "vostel-tool: no timer for the 100 ms cycle (error %lu)\n", GetLastError());
        return 2;
    }
    stopEvent = stop.h;
    SetConsoleCtrlHandler(onConsoleControl, TRUE);

    const HANDLE waitFor[] = {stop.h, timer.h};
    int status = 0;
    bool interrupted = false, done = false;
    while (status == 0 && !done) {
        const DWORD woken = MsgWaitForMultipleObjects(2, waitFor, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) {
            interrupted = done = true;
        } else if (woken == WAIT_OBJECT_0 + 1) {
            done = !cycle.tick();
        } else if (woken == WAIT_OBJECT_0 + 2) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        } else {
            std::fprintf(stderr, "vostel-tool: waiting failed (error %lu)\n", GetLastError());
            status = 2;
        }
    }
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    stopEvent = nullptr;
    const int finished = cycle.finish(interrupted);
    return status != 0 ? status : finished;
}

}  // namespace vostel::tool
