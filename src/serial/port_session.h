#pragma once
// The serial control on every system: the port's life over a RawPort.
//
// Port N is resolved to the name it is opened by once, when the port is
// opened (portName: Linux the link comN in the ports folder when it exists,
// otherwise /dev/ttyS(N-1); Windows \\.\COMN).
//
// A lost port (device unplugged, other end hung up) is closed at its first
// error; input() raises that error once, after the bytes that came before it,
// and the session then opens the same name again about once a second, never
// another: when the link comN goes away, /dev/ttyS(N-1) is not port N's
// device. The name is followed anew at each try, so a device that comes back
// under another path behind the same link is found. When it is back, the
// bytes of the first output() after opening (the initialisation command) are
// sent again. portOpen() stays true throughout.
//
// A lost pseudo-terminal (an emulator's) never comes back under its old
// number, which the system gives to the next program that asks; the link that
// named it is followed again only once it has been made anew.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/error.h"
#include "serial/line_settings.h"
#include "serial/port_device.h"
#include "serial/raw_port.h"
#include "serial/serial_control.h"

namespace vostel {

class PortSession : public SerialControl, private RawPort::Listener {
public:
    static constexpr int kReopenIntervalMs = 1000;
    // How a port number becomes the name it is opened by.
    using Naming = std::function<std::filesystem::path(int number)>;

    explicit PortSession(std::unique_ptr<RawPort> raw, Naming naming = portName);
    ~PortSession() override;
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    // 8002 below 1; 8005 while the port is open.
    void setCommPort(int16_t number) override;
    // "baud,parity,data,stop": parity N E O M S, 5 to 8 data bits, 1, 1.5 or
    // 2 stop bits; 8015 for anything else or when the device refuses it.
    void setSettings(const std::string& settings) override;
    // 0 or more (380 below); above 0 a read returns at most that many bytes.
    void setInputLen(int length) override;
    bool portOpen() const override { return open_; }
    // Opening: 8005 when open; 8002, 70, 8005 or 8015 naming the device and
    // the system's reason when it cannot be opened. The port then stays closed.
    void setPortOpen(bool open) override;
    // 8018 when closed; 8012 while the device is lost.
    void output(std::string_view bytes) override;
    // 8018 when closed; 8020 once for a lost device.
    std::string input() override;

    // Bytes lost because the input buffer was full.
    std::size_t droppedBytes() const { return raw_->droppedBytes(); }

private:
    void deviceLost(const std::string& reason) override;
    void timerTick() override;
    // Opens the device that name_ leads to now; on failure the port stays
    // closed and the error is returned.
    std::optional<RuntimeError> openDevice();
    // Whether the name still leads through the link that named a lost pseudo-terminal.
    bool staleLink() const;
    std::string describe() const;

    std::unique_ptr<RawPort> raw_;
    Naming naming_;
    int16_t number_ = 1;
    LineSettings settings_;
    int inputLen_ = 0;
    bool open_ = false;                       // PortOpen as the program set it
    bool lost_ = false;                       // open_, but the device is gone
    std::optional<std::string> initCommand_;  // first output() after opening
    std::optional<RuntimeError> pendingError_;
    std::filesystem::path name_;       // what port N was opened by, for as long as it is open
    std::filesystem::path device_;     // the device behind it
    bool pseudoTerminal_ = false;      // the open device is a pseudo-terminal
    std::optional<LinkId> staleLink_;  // of a lost pseudo-terminal
};

}  // namespace vostel
