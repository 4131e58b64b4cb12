#include "qt/serial_control.h"

#include <QFile>

#include <algorithm>

#include "serial/port_device.h"

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

SerialPort::SerialPort() {
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { receive(); });
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { reportTick(); });
}

SerialPort::~SerialPort() {
    // Closing may still emit signals; the handlers must not see a half-destroyed port.
    QObject::disconnect(&port_, nullptr, nullptr, nullptr);
    port_.close();
}

std::optional<RawPort::OpenFailure> SerialPort::open(const std::filesystem::path& device,
                                                     const LineSettings& settings) {
    port_.setPortName(QFile::decodeName(device.c_str()));
    quiet_ = true;
    if (!port_.open(QIODevice::ReadWrite)) {
        quiet_ = false;
        const std::string reason = port_.errorString().toStdString();
        switch (port_.error()) {
            case QSerialPort::DeviceNotFoundError:
                return OpenFailure{PortOpenFailure::Missing, reason};
            case QSerialPort::PermissionError:
                // QSerialPort reports a port locked by another program as a
                // "permission" error: name the holder from the lock file instead.
                return OpenFailure{PortOpenFailure::InUse, portHolder(device)};
            default:
                return OpenFailure{PortOpenFailure::NotSerial, reason};
        }
    }
    const bool applied = applySettings(settings);
    std::optional<OpenFailure> failure;
    if (!applied) {
        failure = OpenFailure{PortOpenFailure::Settings, port_.errorString().toStdString()};
        port_.close();
    }
    quiet_ = false;
    return failure;
}

std::optional<std::string> SerialPort::apply(const LineSettings& settings) {
    quiet_ = true;
    const bool applied = applySettings(settings);
    quiet_ = false;
    if (applied) return std::nullopt;
    return port_.errorString().toStdString();
}

bool SerialPort::applySettings(const LineSettings& settings) {
    return port_.setBaudRate(settings.baud) && port_.setParity(qtParity(settings.parity)) &&
           port_.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) &&
           port_.setStopBits(qtStopBits(settings.stopBits)) &&
           port_.setFlowControl(QSerialPort::NoFlowControl);
}

std::string SerialPort::read(std::size_t limit) {
    std::size_t count = inputBuffer_.size();
    if (limit > 0) count = std::min(count, limit);
    std::string bytes = inputBuffer_.substr(0, count);
    inputBuffer_.erase(0, count);
    return bytes;
}

void SerialPort::write(std::string_view bytes) {
    port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Hands the bytes to the device without waiting; a failure is a lost device.
    port_.flush();
}

void SerialPort::close() {
    port_.close();
    inputBuffer_.clear();
}

void SerialPort::startTimer(int intervalMs) {
    timer_.setInterval(intervalMs);
    timer_.start();
}

void SerialPort::stopTimer() { timer_.stop(); }

void SerialPort::receive() {
    const QByteArray data = port_.readAll();
    const std::size_t size = static_cast<std::size_t>(data.size());
    const std::size_t kept = std::min(size, kInputBufferSize - inputBuffer_.size());
    inputBuffer_.append(data.constData(), kept);
    dropped_ += size - kept;
}

void SerialPort::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError) return;
    // Errors while opening or configuring are returned by open() and apply();
    // a closed port has nothing more to lose.
    if (quiet_ || !port_.isOpen()) return;
    // A device that is gone keeps the descriptor readable and every read
    // fails; closing at once keeps the event loop from spinning on it. What
    // came before stays in the buffer to be read.
    quiet_ = true;
    port_.close();
    quiet_ = false;
    reportLost("unplugged, or the other end hung up");
}

}  // namespace vostel::qt
