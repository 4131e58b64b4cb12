#pragma once
// vostel-tool monitor: the receiver's packets, live, and the IDs the program
// would log for them. Monitor holds what every platform shares (framing,
// matching with the program's hold-off, printing); monitor_loop_*.cpp give the
// platform's serial control, the 100 ms cycle and the end on Ctrl+C.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "app/clock.h"
#include "app/hold_off.h"
#include "decode/decoder.h"
#include "library/library_file.h"
#include "serial/serial_control.h"

namespace vostel::tool {

struct MonitorOptions {
    int16_t port = 1;
    std::filesystem::path library = "irdata.txt";
    bool libraryGiven = false;
    bool idsOnly = false;
};

class Monitor {
public:
    static constexpr int kTickMs = 100;  // the program's receive cycle

    Monitor(const MonitorOptions& options, SignalLibrary library);

    // Opens the port through `control` as the program does; prints why and
    // returns false when it cannot. `control` must outlive the monitor's use.
    bool open(SerialControl& control);
    // One cycle: read what arrived, frame it, recognise and print the packets.
    void tick();
    // Ends the run: the framing errors summed up. Returns the exit status.
    int finish();

private:
    void show(const Packet& packet);

    const MonitorOptions options_;
    SignalLibrary library_;
    SerialControl* port_ = nullptr;
    SystemClock clock_;
    HoldOff holdOff_;
    Decoder decoder_;
    std::size_t framingErrors_ = 0;
    bool lost_ = false;
};

// The platform's part: makes its serial control, opens it with
// monitor.open(), calls monitor.tick() every Monitor::kTickMs until Ctrl+C and
// returns monitor.finish(); 2 when the port did not open.
int runMonitorLoop(Monitor& monitor);

}  // namespace vostel::tool
