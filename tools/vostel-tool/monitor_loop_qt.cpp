// The port's cycle on Linux (monitor, learn): Qt's event loop, which also
// drives the serial control's reading and reopening, a 100 ms timer, and
// SIGINT or SIGTERM ending it at the next cycle.
#include <QCoreApplication>
#include <QTimer>

#include <signal.h>

#include "monitor.h"
#include "qt/serial_control.h"

namespace vostel::tool {

namespace {

volatile sig_atomic_t stopRequested = 0;
extern "C" void requestStop(int) { stopRequested = 1; }

}  // namespace

int runPortCycle(PortCycle& cycle) {
    int argc = 1;
    char name[] = "vostel-tool";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    qt::SerialControl control;
    if (!cycle.open(control)) return 2;

    struct sigaction sa {};
    sa.sa_handler = requestStop;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    QTimer timer;
    timer.setInterval(PortCycle::kTickMs);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (stopRequested || !cycle.tick()) app.quit();
    });
    timer.start();
    app.exec();
    return cycle.finish(stopRequested != 0);
}

}  // namespace vostel::tool
