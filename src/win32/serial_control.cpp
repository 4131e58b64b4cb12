#include "win32/serial_control.h"

#include <algorithm>
#include <map>

#include "runtime/system_error.h"
#include "serial/port_open_error.h"
#include "win32/window_text.h"

namespace vostel::win32 {

namespace {

constexpr DWORD kDriverQueue = 4096;

BYTE win32Parity(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::Even:
            return EVENPARITY;
        case LineSettings::Parity::Odd:
            return ODDPARITY;
        case LineSettings::Parity::Mark:
            return MARKPARITY;
        case LineSettings::Parity::Space:
            return SPACEPARITY;
        case LineSettings::Parity::None:
            break;
    }
    return NOPARITY;
}

BYTE win32StopBits(LineSettings::StopBits stopBits) {
    switch (stopBits) {
        case LineSettings::StopBits::OneAndHalf:
            return ONE5STOPBITS;
        case LineSettings::StopBits::Two:
            return TWOSTOPBITS;
        case LineSettings::StopBits::One:
            break;
    }
    return ONESTOPBIT;
}

}  // namespace

std::wstring portDevice(int number) { return L"\\\\.\\COM" + std::to_wstring(number); }

SerialControl::~SerialControl() {
    stopReopening();
    if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
}

void SerialControl::setCommPort(int16_t number) {
    if (open_) throw RuntimeError(kErrPortAlreadyOpen);
    if (number < 1)
        throw RuntimeError(kErrInvalidPort,
                           "Invalid Port Number: " + std::to_string(number) + " (port numbers start at 1)");
    number_ = number;
}

void SerialControl::setSettings(const std::string& settings) {
    settings_ = parseLineSettings(settings);
    if (!open_ || lost_) return;  // applied when the port opens
    if (!applySettings())
        throw RuntimeError(kErrCommState, "Could not set comm state: " + describe() + " refused \"" +
                                              settings + "\" (" + systemReason(GetLastError()) + ")");
}

void SerialControl::setInputLen(int length) {
    if (length < 0) throw RuntimeError(kErrInvalidPropertyValue);
    inputLen_ = length;
}

void SerialControl::setPortOpen(bool open) {
    if (!open) {
        stopReopening();
        open_ = lost_ = false;
        if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
        port_ = INVALID_HANDLE_VALUE;
        pendingError_.reset();
        return;
    }
    if (open_) throw RuntimeError(kErrPortAlreadyOpen);
    initCommand_.reset();
    pendingError_.reset();
    if (std::optional<RuntimeError> error = openDevice()) throw *error;
    open_ = true;
    lost_ = false;
}

void SerialControl::output(std::string_view bytes) {
    if (!open_) throw RuntimeError(kErrPortMustBeOpen);
    if (lost_)
        throw RuntimeError(kErrPortNotOpen,
                           "The device is not open: " + describe() + " was lost and is not back yet");
    if (!initCommand_) initCommand_ = std::string(bytes);
    if (!write(bytes)) lose(GetLastError());
}

std::string SerialControl::input() {
    if (!open_) throw RuntimeError(kErrPortMustBeOpen);
    if (lost_) {
        if (pendingError_) {
            const RuntimeError error = *pendingError_;
            pendingError_.reset();
            throw error;
        }
        return {};
    }
    // A device that is gone may go on giving empty reads; asking for its
    // state fails then (a pseudo-terminal whose other end closed, under Wine;
    // an unplugged adapter).
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(port_, &errors, &status)) failRead(GetLastError());
    std::size_t limit = kInputBufferSize;
    if (inputLen_ > 0) limit = std::min(limit, static_cast<std::size_t>(inputLen_));
    std::string bytes(limit, '\0');
    DWORD got = 0;
    if (!ReadFile(port_, bytes.data(), static_cast<DWORD>(limit), &got, nullptr)) failRead(GetLastError());
    bytes.resize(got);
    // What the classic buffer could not have held is lost, as there.
    if (got == limit && inputLen_ == 0) {
        if (ClearCommError(port_, &errors, &status) && status.cbInQue > 0) {
            dropped_ += status.cbInQue;
            PurgeComm(port_, PURGE_RXCLEAR);
        }
    }
    return bytes;
}

std::optional<RuntimeError> SerialControl::openDevice() {
    const std::wstring device = portDevice(number_);
    port_ = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        const std::string reason = systemReason(code);
        switch (code) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
                return portOpenError(
                    PortOpenFailure::Missing, describe(), reason,
                    " Port N is COMN; the Device Manager lists the serial ports under Ports (COM & LPT).");
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION:
                return portOpenError(PortOpenFailure::InUse, describe(), reason);
            default:
                return portOpenError(PortOpenFailure::NotSerial, describe(), reason);
        }
    }
    if (!applySettings()) {
        const std::string reason = systemReason(GetLastError());
        CloseHandle(port_);
        port_ = INVALID_HANDLE_VALUE;
        return RuntimeError(kErrCommState, "Could not set comm state: " + describe() +
                                               " refused the line settings (" + reason + ")");
    }
    return std::nullopt;
}

bool SerialControl::applySettings() {
    SetupComm(port_, kDriverQueue, kDriverQueue);  // a hint the driver may ignore
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port_, &dcb)) return false;
    dcb.BaudRate = static_cast<DWORD>(settings_.baud);
    dcb.ByteSize = static_cast<BYTE>(settings_.dataBits);
    dcb.Parity = win32Parity(settings_.parity);
    dcb.StopBits = win32StopBits(settings_.stopBits);
    dcb.fBinary = TRUE;
    dcb.fParity = settings_.parity != LineSettings::Parity::None;
    // No flow control; DTR and RTS on, which some receivers draw their power from.
    dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(port_, &dcb)) return false;
    // A read returns at once with what is pending; a write of a few bytes waits at most a second.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = 1000;
    return SetCommTimeouts(port_, &timeouts) != FALSE;
}

bool SerialControl::write(std::string_view bytes) {
    DWORD written = 0;
    return WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
}

void SerialControl::lose(DWORD code) {
    if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
    lost_ = true;
    // A thread timer: it also fires while a message box or the naming dialog is open.
    if (!reopenTimer_) {
        reopenTimer_ = SetTimer(nullptr, 0, kReopenIntervalMs, reopenTick);
        reopening()[reopenTimer_] = this;
    }
    if (!pendingError_)
        pendingError_ = RuntimeError(kErrReadingComm, "Error reading comm device: " + describe() +
                                                          " was lost (" + systemReason(code) +
                                                          "). It is opened again as soon as it is back.");
}

void SerialControl::failRead(DWORD code) {
    lose(code);
    const RuntimeError error = *pendingError_;
    pendingError_.reset();
    throw error;
}

std::map<UINT_PTR, SerialControl*>& SerialControl::reopening() {
    static std::map<UINT_PTR, SerialControl*> controls;
    return controls;
}

void CALLBACK SerialControl::reopenTick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto it = reopening().find(id);
    if (it != reopening().end()) it->second->tryReopen();
}

void SerialControl::stopReopening() {
    if (!reopenTimer_) return;
    KillTimer(nullptr, reopenTimer_);
    reopening().erase(reopenTimer_);
    reopenTimer_ = 0;
}

void SerialControl::tryReopen() {
    if (!lost_ || !open_) return stopReopening();
    if (openDevice()) return;  // still gone: try again in a second
    stopReopening();
    lost_ = false;
    if (initCommand_ && !write(*initCommand_)) lose(GetLastError());
}

std::string SerialControl::describe() const {
    return "port " + std::to_string(number_) + " (" + narrow(portDevice(number_)) + ")";
}

}  // namespace vostel::win32
