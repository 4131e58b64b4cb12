#pragma once
// The serial control over the Win32 communications API. Port N is COMN,
// opened as \\.\COMN (the form that also reaches COM10 and above).
//
// Reads never wait (COMMTIMEOUTS: a read returns what is pending). One read
// returns at most kInputBufferSize bytes, the classic control's input buffer;
// bytes beyond that which are already pending are dropped (counted in
// droppedBytes()), so one read never comes near the framer's limit.
//
// A lost port (device unplugged, other end gone) is closed at its first error;
// input() raises that error once, with the system's reason, and then tries to
// open the same port again about once a second, from a timer that also fires
// while a message box is open.
// When it is back, the bytes of the first output() after opening (the
// initialisation command) are sent again. portOpen() stays true throughout.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/error.h"
#include "serial/line_settings.h"
#include "serial/serial_control.h"

namespace vostel::win32 {

// The name under which port N is opened: \\.\COMN.
std::wstring portDevice(int number);

class SerialControl final : public vostel::SerialControl {
public:
    static constexpr std::size_t kInputBufferSize = 1024;
    static constexpr UINT kReopenIntervalMs = 1000;

    SerialControl() = default;
    ~SerialControl() override;
    SerialControl(const SerialControl&) = delete;
    SerialControl& operator=(const SerialControl&) = delete;

    // 8002 below 1; 8005 while the port is open.
    void setCommPort(int16_t number) override;
    // "baud,parity,data,stop": parity N E O M S, 5 to 8 data bits, 1, 1.5 or
    // 2 stop bits; 8015 for anything else or when the device refuses it.
    void setSettings(const std::string& settings) override;
    void setInputLen(int length) override;
    bool portOpen() const override { return open_; }
    void setPortOpen(bool open) override;
    void output(std::string_view bytes) override;
    std::string input() override;

    std::size_t droppedBytes() const { return dropped_; }

private:
    std::optional<RuntimeError> openDevice();
    bool applySettings();
    void lose(DWORD code);
    [[noreturn]] void failRead(DWORD code);
    void tryReopen();
    void stopReopening();
    static void CALLBACK reopenTick(HWND, UINT, UINT_PTR id, DWORD);
    static std::map<UINT_PTR, SerialControl*>& reopening();
    bool write(std::string_view bytes);
    std::string describe() const;

    HANDLE port_ = INVALID_HANDLE_VALUE;
    int16_t number_ = 1;
    LineSettings settings_;
    int inputLen_ = 0;
    bool open_ = false;  // PortOpen as the program set it
    bool lost_ = false;  // open_, but the device is gone
    std::size_t dropped_ = 0;
    UINT_PTR reopenTimer_ = 0;
    std::optional<std::string> initCommand_;  // first output() after opening
    std::optional<RuntimeError> pendingError_;
};

}  // namespace vostel::win32
