#include "serial/port_session.h"

#include <utility>

namespace vostel {

PortSession::PortSession(std::unique_ptr<RawPort> raw, Naming naming)
    : raw_(std::move(raw)), naming_(std::move(naming)) {
    raw_->setListener(this);
}

PortSession::~PortSession() {
    raw_->stopTimer();
    raw_->setListener(nullptr);
}

void PortSession::setCommPort(int16_t number) {
    if (open_) throw RuntimeError(kErrPortAlreadyOpen);
    if (number < 1)
        throw RuntimeError(kErrInvalidPort,
                           "Invalid Port Number: " + std::to_string(number) + " (port numbers start at 1)");
    number_ = number;
}

void PortSession::setSettings(const std::string& settings) {
    settings_ = parseLineSettings(settings);
    if (!open_ || lost_) return;  // applied when the port opens
    if (const std::optional<std::string> reason = raw_->apply(settings_))
        throw RuntimeError(kErrCommState, "Could not set comm state: " + describe() + " refused \"" +
                                              settings + "\" (" + *reason + ")");
}

void PortSession::setInputLen(int length) {
    if (length < 0) throw RuntimeError(kErrInvalidPropertyValue);
    inputLen_ = length;
}

void PortSession::setPortOpen(bool open) {
    if (!open) {
        raw_->stopTimer();
        open_ = lost_ = false;
        raw_->close();
        pendingError_.reset();
        return;
    }
    if (open_) throw RuntimeError(kErrPortAlreadyOpen);
    initCommand_.reset();
    pendingError_.reset();
    // The one moment the number is resolved: a lost port comes back only by this name.
    name_ = naming_(number_);
    if (std::optional<RuntimeError> error = openDevice()) throw *error;
    open_ = true;
    lost_ = false;
}

void PortSession::output(std::string_view bytes) {
    if (!open_) throw RuntimeError(kErrPortMustBeOpen);
    if (lost_)
        throw RuntimeError(kErrPortNotOpen,
                           "The device is not open: " + describe() + " was lost and is not back yet");
    if (!initCommand_) initCommand_ = std::string(bytes);
    raw_->write(bytes);
}

std::string PortSession::input() {
    if (!open_) throw RuntimeError(kErrPortMustBeOpen);
    std::string bytes = raw_->read(static_cast<std::size_t>(inputLen_));
    // Bytes that came before the loss are delivered first, then the error.
    if (bytes.empty() && pendingError_) {
        const RuntimeError error = std::move(*pendingError_);
        pendingError_.reset();
        throw error;
    }
    return bytes;
}

void PortSession::deviceLost(const std::string& reason) {
    // Errors while opening are the opener's; a lost port reports once.
    if (!open_ || lost_) return;
    lost_ = true;
    staleLink_.reset();
    if (pseudoTerminal_) staleLink_ = lastLink(name_);
    if (!pendingError_)
        pendingError_ =
            RuntimeError(kErrReadingComm, "Error reading comm device: " + describe() + " was lost (" +
                                              reason + "). It is opened again as soon as it is back.");
    raw_->startTimer(kReopenIntervalMs);
}

void PortSession::timerTick() {
    if (!open_ || !lost_) return raw_->stopTimer();
    // A pseudo-terminal under the lost one's number belongs to another program.
    if (staleLink()) return;
    if (openDevice()) return;  // still gone: try again at the next tick
    raw_->stopTimer();
    lost_ = false;
    staleLink_.reset();
    if (initCommand_) raw_->write(*initCommand_);
}

std::optional<RuntimeError> PortSession::openDevice() {
    const PortDevice found = findPortDevice(number_, name_);
    device_ = found.device;
    if (found.error) return found.error;
    if (const std::optional<RawPort::OpenFailure> failure = raw_->open(device_, settings_))
        return portOpenError(failure->kind, describe(), failure->reason,
                             failure->kind == PortOpenFailure::Missing ? portsHint(number_) : std::string());
    pseudoTerminal_ = isPseudoTerminal(device_);
    return std::nullopt;
}

bool PortSession::staleLink() const { return staleLink_ && lastLink(name_) == staleLink_; }

std::string PortSession::describe() const { return describePort(number_, name_, device_); }

}  // namespace vostel
