#pragma once
// vostel-tool's commands on the receiver's port: monitor (the packets live,
// and the IDs the program would log for them) and learn (a button from several
// presses). PacketReader holds what every platform shares (opening the port as
// the program does, framing, a lost port); monitor_loop_*.cpp give the
// platform's serial control, the 100 ms cycle and the end on Ctrl+C.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "app/clock.h"
#include "app/hold_off.h"
#include "decode/decoder.h"
#include "library/library_file.h"
#include "serial/serial_control.h"

namespace vostel::tool {

// What runs on the port once every cycle, until it is done or Ctrl+C.
class PortCycle {
public:
    static constexpr int kTickMs = 100;  // the program's receive cycle

    virtual ~PortCycle() = default;
    // Opens the port through `control`; prints why and returns false when it
    // cannot. `control` must outlive the cycle's use.
    virtual bool open(SerialControl& control) = 0;
    // One cycle; false once the work is done.
    virtual bool tick() = 0;
    // Ends the run, `interrupted` by Ctrl+C or not. Returns the exit status.
    virtual int finish(bool interrupted) = 0;
};

// The platform's part: makes its serial control, opens it with cycle.open(),
// calls cycle.tick() every PortCycle::kTickMs until it returns false or Ctrl+C
// comes, and returns cycle.finish(); 2 when the port did not open.
int runPortCycle(PortCycle& cycle);

// The receiver's packets, framed as the program frames them. Messages start
// with "vostel-tool: COMMAND: ".
class PacketReader {
public:
    PacketReader(std::string command, int16_t port) : command_(std::move(command)), port_(port) {}

    // Opens the port as the program does (9600 8N1, the initialisation command).
    bool open(SerialControl& control);
    // Reads what arrived and hands every packet it completes to `onPacket`. A
    // framing error is counted and, unless `quiet`, shown on standard output.
    void read(const std::function<void(const Packet&)>& onPacket, bool quiet = false);
    std::size_t framingErrors() const { return framingErrors_; }
    // The framing errors summed up on standard error, when there were any.
    void reportFramingErrors() const;
    int16_t port() const { return port_; }

private:
    const std::string command_;
    const int16_t port_;
    SerialControl* control_ = nullptr;
    Decoder decoder_;
    std::size_t framingErrors_ = 0;
    bool lost_ = false;
};

struct MonitorOptions {
    int16_t port = 1;
    std::filesystem::path library = "irdata.txt";
    bool libraryGiven = false;
    bool idsOnly = false;
};

class Monitor : public PortCycle {
public:
    Monitor(const MonitorOptions& options, SignalLibrary library);

    bool open(SerialControl& control) override;
    // Reads, frames, recognises and prints the packets; runs until Ctrl+C.
    bool tick() override;
    // Status 0: the framing errors summed up.
    int finish(bool interrupted) override;

private:
    void show(const Packet& packet);

    const MonitorOptions options_;
    SignalLibrary library_;
    PacketReader reader_;
    SystemClock clock_;
    HoldOff holdOff_;
};

}  // namespace vostel::tool
