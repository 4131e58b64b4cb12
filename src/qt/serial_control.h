#pragma once
// The serial control over QSerialPort: the core's PortSession (port numbers,
// a lost port and its reopening) driving a QSerialPort.
//
// Received bytes are collected, whenever the event loop runs, into an input
// buffer of kInputBufferSize bytes, like the classic control's. When the
// buffer is full, newly arriving bytes are dropped (counted in
// droppedBytes()) until a read empties it: the oldest bytes are kept and
// delivered, so one read never returns more than kInputBufferSize bytes.
#include <QSerialPort>
#include <QTimer>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "serial/port_session.h"
#include "serial/raw_port.h"

namespace vostel::qt {

class SerialPort final : public RawPort {
public:
    SerialPort();
    ~SerialPort() override;

    std::optional<OpenFailure> open(const std::filesystem::path& device,
                                    const LineSettings& settings) override;
    std::optional<std::string> apply(const LineSettings& settings) override;
    std::string read(std::size_t limit) override;
    void write(std::string_view bytes) override;
    void close() override;
    void startTimer(int intervalMs) override;
    void stopTimer() override;
    std::size_t droppedBytes() const override { return dropped_; }

private:
    bool applySettings(const LineSettings& settings);
    void receive();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    QTimer timer_;
    bool quiet_ = false;  // errors reported now are the caller's, not a lost device
    std::string inputBuffer_;
    std::size_t dropped_ = 0;
};

class SerialControl final : public PortSession {
public:
    SerialControl() : PortSession(std::make_unique<SerialPort>()) {}
};

}  // namespace vostel::qt
