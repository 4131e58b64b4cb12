#include "win32/serial_control.h"

#include <algorithm>

#include "runtime/system_error.h"

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

SerialPort::~SerialPort() {
    stopTimer();
    close();
}

std::optional<RawPort::OpenFailure> SerialPort::open(const std::filesystem::path& device,
                                                     const LineSettings& settings) {
    port_ = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        const std::string reason = systemReason(code);
        switch (code) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
                return OpenFailure{PortOpenFailure::Missing, reason};
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION:
                return OpenFailure{PortOpenFailure::InUse, reason};
            default:
                return OpenFailure{PortOpenFailure::NotSerial, reason};
        }
    }
    if (!applySettings(settings)) {
        const std::string reason = systemReason(GetLastError());
        close();
        return OpenFailure{PortOpenFailure::Settings, reason};
    }
    return std::nullopt;
}

std::optional<std::string> SerialPort::apply(const LineSettings& settings) {
    if (applySettings(settings)) return std::nullopt;
    return systemReason(GetLastError());
}

bool SerialPort::applySettings(const LineSettings& settings) {
    SetupComm(port_, kDriverQueue, kDriverQueue);  // a hint the driver may ignore
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port_, &dcb)) return false;
    dcb.BaudRate = static_cast<DWORD>(settings.baud);
    dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
    dcb.Parity = win32Parity(settings.parity);
    dcb.StopBits = win32StopBits(settings.stopBits);
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != LineSettings::Parity::None;
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

std::string SerialPort::read(std::size_t limit) {
    if (port_ == INVALID_HANDLE_VALUE) return {};
    // A device that is gone may go on giving empty reads; asking for its
    // state fails then (a pseudo-terminal whose other end closed, under Wine;
    // an unplugged adapter).
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(port_, &errors, &status)) {
        lose(GetLastError());
        return {};
    }
    const std::size_t most = limit > 0 ? std::min(kInputBufferSize, limit) : kInputBufferSize;
    std::string bytes(most, '\0');
    DWORD got = 0;
    if (!ReadFile(port_, bytes.data(), static_cast<DWORD>(most), &got, nullptr)) {
        lose(GetLastError());
        return {};
    }
    bytes.resize(got);
    // What the classic buffer could not have held is lost, as there.
    if (got == most && limit == 0) {
        if (ClearCommError(port_, &errors, &status) && status.cbInQue > 0) {
            dropped_ += status.cbInQue;
            PurgeComm(port_, PURGE_RXCLEAR);
        }
    }
    return bytes;
}

void SerialPort::write(std::string_view bytes) {
    if (port_ == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (!WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        lose(GetLastError());
}

void SerialPort::close() {
    if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
}

void SerialPort::lose(DWORD code) {
    close();
    reportLost(systemReason(code));
}

void SerialPort::startTimer(int intervalMs) {
    if (timer_) return;
    timer_ = SetTimer(nullptr, 0, static_cast<UINT>(intervalMs), tick);
    timers()[timer_] = this;
}

void SerialPort::stopTimer() {
    if (!timer_) return;
    KillTimer(nullptr, timer_);
    timers().erase(timer_);
    timer_ = 0;
}

std::map<UINT_PTR, SerialPort*>& SerialPort::timers() {
    static std::map<UINT_PTR, SerialPort*> ports;
    return ports;
}

void CALLBACK SerialPort::tick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto it = timers().find(id);
    if (it != timers().end()) it->second->reportTick();
}

}  // namespace vostel::win32
