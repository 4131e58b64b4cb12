#include "qt/serial_control.h"

#include <QFile>

#include <algorithm>
#include <vector>

#include "serial/port_device.h"
#include "serial/port_names.h"
#include "serial/port_open_error.h"

namespace vostel::qt {

namespace {

QSerialPort::Parity qtParity(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::Even:
            return QSerialPort::EvenParity;
        case LineSettings::Parity::Odd:
            return QSerialPort::OddParity;
        case LineSettings::Parity::Mark:
            return QSerialPort::MarkParity;
        case LineSettings::Parity::Space:
            return QSerialPort::SpaceParity;
        case LineSettings::Parity::None:
            break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits qtStopBits(LineSettings::StopBits stopBits) {
    switch (stopBits) {
        case LineSettings::StopBits::OneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case LineSettings::StopBits::Two:
            return QSerialPort::TwoStop;
        case LineSettings::StopBits::One:
            break;
    }
    return QSerialPort::OneStop;
}

}  // namespace

SerialControl::SerialControl() {
    reopenTimer_.setInterval(kReopenIntervalMs);
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { receive(); });
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
    QObject::connect(&reopenTimer_, &QTimer::timeout, &reopenTimer_, [this] { tryReopen(); });
}

SerialControl::~SerialControl() {
    // Closing may still emit signals; the handlers must not see a half-destroyed control.
    QObject::disconnect(&port_, nullptr, nullptr, nullptr);
    port_.close();
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
    configuring_ = true;
    const bool applied = applySettings();
    configuring_ = false;
    if (!applied)
        throw RuntimeError(kErrCommState, "Could not set comm state: " + describe() + " refused \"" +
                                              settings + "\" (" + port_.errorString().toStdString() + ")");
}

void SerialControl::setInputLen(int length) {
    if (length < 0) throw RuntimeError(kErrInvalidPropertyValue);
    inputLen_ = length;
}

void SerialControl::setPortOpen(bool open) {
    if (!open) {
        open_ = lost_ = false;
        reopenTimer_.stop();
        port_.close();
        pendingError_.reset();
        inputBuffer_.clear();
        return;
    }
    if (open_) throw RuntimeError(kErrPortAlreadyOpen);
    inputBuffer_.clear();
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
    port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Hands the bytes to the device without waiting; a failure is a lost port.
    port_.flush();
}

std::string SerialControl::input() {
    if (!open_) throw RuntimeError(kErrPortMustBeOpen);
    // Bytes that came before the loss are delivered first, then the error.
    if (inputBuffer_.empty() && pendingError_) {
        const RuntimeError error = *pendingError_;
        pendingError_.reset();
        throw error;
    }
    std::size_t count = inputBuffer_.size();
    if (inputLen_ > 0) count = std::min(count, static_cast<std::size_t>(inputLen_));
    std::string bytes = inputBuffer_.substr(0, count);
    inputBuffer_.erase(0, count);
    return bytes;
}

std::optional<RuntimeError> SerialControl::openDevice() {
    PortDevice found = findPortDevice(number_);
    name_ = found.name;
    device_ = found.device;
    if (found.error) return found.error;

    port_.setPortName(QFile::decodeName(device_.c_str()));
    configuring_ = true;
    if (!port_.open(QIODevice::ReadWrite)) {
        configuring_ = false;
        const std::string reason = port_.errorString().toStdString();
        switch (port_.error()) {
            case QSerialPort::DeviceNotFoundError:
                return portOpenError(PortOpenFailure::Missing, describe(), reason, portsHint(number_));
            case QSerialPort::PermissionError:
                // QSerialPort reports a port locked by another program as a
                // "permission" error: name the holder from the lock file instead.
                return portOpenError(PortOpenFailure::InUse, describe(), portHolder(device_));
            default:
                return portOpenError(PortOpenFailure::NotSerial, describe(), reason);
        }
    }
    pseudoTerminal_ = isPseudoTerminal(device_);
    const bool applied = applySettings();
    configuring_ = false;
    if (!applied) {
        const std::string reason = port_.errorString().toStdString();
        port_.close();
        return RuntimeError(kErrCommState, "Could not set comm state: " + describe() +
                                               " refused the line settings (" + reason + ")");
    }
    return std::nullopt;
}

bool SerialControl::applySettings() {
    return port_.setBaudRate(settings_.baud) && port_.setParity(qtParity(settings_.parity)) &&
           port_.setDataBits(static_cast<QSerialPort::DataBits>(settings_.dataBits)) &&
           port_.setStopBits(qtStopBits(settings_.stopBits)) &&
           port_.setFlowControl(QSerialPort::NoFlowControl);
}

void SerialControl::receive() {
    const QByteArray data = port_.readAll();
    const std::size_t size = static_cast<std::size_t>(data.size());
    const std::size_t kept = std::min(size, kInputBufferSize - inputBuffer_.size());
    inputBuffer_.append(data.constData(), kept);
    dropped_ += size - kept;
}

void SerialControl::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError) return;
    // Errors while opening are reported by openDevice(); a lost port reports
    // once, whatever QSerialPort says afterwards.
    if (configuring_ || !open_ || lost_) return;
    // A device that is gone keeps the descriptor readable and every read
    // fails; closing at once keeps the event loop from spinning on it.
    port_.close();
    lost_ = true;
    staleLink_.reset();
    if (pseudoTerminal_) staleLink_ = lastLink(name_);
    if (!pendingError_)
        pendingError_ = RuntimeError(kErrReadingComm, "Error reading comm device: " + describe() +
                                                          " was lost (unplugged, or the other end hung up). "
                                                          "It is opened again as soon as it is back.");
    reopenTimer_.start();
}

bool SerialControl::staleLink() const { return staleLink_ && lastLink(portPath(number_)) == staleLink_; }

void SerialControl::tryReopen() {
    // A pseudo-terminal under the lost one's number belongs to another program.
    if (staleLink()) return;
    if (openDevice()) return;  // still gone: try again at the next tick
    reopenTimer_.stop();
    lost_ = false;
    staleLink_.reset();
    if (initCommand_) {
        port_.write(initCommand_->data(), static_cast<qint64>(initCommand_->size()));
        port_.flush();
    }
}

std::string SerialControl::describe() const { return describePort(number_, name_, device_); }

}  // namespace vostel::qt
