#pragma once
// The serial control over QSerialPort.
//
// Port N is portPath(N): the link comN in the ports folder, or /dev/ttyS(N-1).
// The name is resolved again at every open, so a device that comes back
// under another path behind the same link is found.
//
// Received bytes are collected, whenever the event loop runs, into an input
// buffer of kInputBufferSize bytes, like the classic control's. When the
// buffer is full, newly arriving bytes are dropped (counted in
// droppedBytes()) until input() empties it: the oldest bytes are kept and
// delivered, so one read never returns more than kInputBufferSize bytes.
//
// A lost port (device unplugged, other end hung up) is closed at its first
// error; input() raises that error once, and the control then tries to open
// the same port number again about once a second. When it is back, the bytes
// of the first output() after opening (the initialisation command) are sent
// again and reading goes on. portOpen() stays true throughout. A lost
// pseudo-terminal (an emulator's) never comes back under its old number, which
// the system gives to the next program that asks; the link that named it is
// followed again only once it has been made anew.
#include <QSerialPort>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/error.h"
#include "serial/line_settings.h"
#include "serial/port_device.h"
#include "serial/serial_control.h"

namespace vostel::qt {

class SerialControl final : public vostel::SerialControl {
public:
    static constexpr std::size_t kInputBufferSize = 1024;
    static constexpr int kReopenIntervalMs = 1000;

    SerialControl();
    ~SerialControl() override;

    // 8002 below 1; 8005 while the port is open.
    void setCommPort(int16_t number) override;
    // "baud,parity,data,stop": parity N E O M S, 5 to 8 data bits, 1, 1.5 or
    // 2 stop bits; 8015 for anything else or when the device refuses it.
    void setSettings(const std::string& settings) override;
    // 0 or more; above 0 a read returns at most that many bytes.
    void setInputLen(int length) override;
    bool portOpen() const override { return open_; }
    void setPortOpen(bool open) override;
    void output(std::string_view bytes) override;
    std::string input() override;

    // Bytes dropped because the input buffer was full.
    std::size_t droppedBytes() const { return dropped_; }

private:
    // Opens the device now named by the port number; on failure the port
    // stays closed and the error is returned.
    std::optional<RuntimeError> openDevice();
    bool applySettings();
    void receive();
    void onError(QSerialPort::SerialPortError error);
    void tryReopen();
    std::string describe() const;
    // Whether the port name still leads through the link that named a lost pseudo-terminal.
    bool staleLink() const;

    QSerialPort port_;
    QTimer reopenTimer_;
    int16_t number_ = 1;
    LineSettings settings_;
    int inputLen_ = 0;
    bool open_ = false;           // PortOpen as the program set it
    bool lost_ = false;           // open_, but the device is gone
    bool configuring_ = false;    // errors reported while opening are ours
    std::string inputBuffer_;
    std::size_t dropped_ = 0;
    std::optional<std::string> initCommand_;  // first output() after opening
    std::optional<RuntimeError> pendingError_;
    std::filesystem::path name_;    // what was opened: the link or the device
    std::filesystem::path device_;  // the device behind it
    bool pseudoTerminal_ = false;   // the open device is a pseudo-terminal
    std::optional<LinkId> staleLink_;  // of a lost pseudo-terminal
};

}  // namespace vostel::qt
