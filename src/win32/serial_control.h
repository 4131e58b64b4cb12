#pragma once
// The serial control over the Win32 communications API: the core's
// PortSession (port N is COMN, opened as \\.\COMN; a lost port and its
// reopening) driving a communications handle.
//
// Reads never wait (COMMTIMEOUTS: a read returns what is pending). One read
// returns at most kInputBufferSize bytes, the classic control's input buffer;
// bytes beyond that which are already pending are dropped (counted in
// droppedBytes()), so one read never comes near the framer's limit.
// The reopening timer is a thread timer, which also fires while a message box
// is open.
#include <windows.h>

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "serial/port_session.h"
#include "serial/raw_port.h"

namespace vostel::win32 {

class SerialPort final : public RawPort {
public:
    SerialPort() = default;
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

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
    // Closes the handle of a device that failed and reports it lost.
    void lose(DWORD code);
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD);
    static std::map<UINT_PTR, SerialPort*>& timers();

    HANDLE port_ = INVALID_HANDLE_VALUE;
    std::size_t dropped_ = 0;
    UINT_PTR timer_ = 0;
};

class SerialControl final : public PortSession {
public:
    SerialControl() : PortSession(std::make_unique<SerialPort>()) {}
};

}  // namespace vostel::win32
