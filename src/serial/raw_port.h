#pragma once
// A serial device as one system offers it: opening, line settings, reading,
// writing, closing and a timer. What a port number means, a lost device,
// reopening it and the error texts are decided by PortSession, once for all
// systems.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "serial/line_settings.h"
#include "serial/port_open_error.h"

namespace vostel {

// The input buffer a raw port keeps, as the classic control had: one read
// never returns more, and what it cannot hold is lost.
inline constexpr std::size_t kInputBufferSize = 1024;

class RawPort {
public:
    // What a raw port reports by itself.
    class Listener {
    public:
        // The device is gone (unplugged, other end hung up); the raw port has
        // already closed it. `reason` is the system's, in a few words.
        virtual void deviceLost(const std::string& reason) = 0;
        // One tick of the timer.
        virtual void timerTick() = 0;

    protected:
        ~Listener() = default;
    };

    struct OpenFailure {
        PortOpenFailure kind;
        std::string reason;  // the system's
    };

    virtual ~RawPort() = default;

    // Opens `device` and applies `settings`; on failure the device is closed again.
    virtual std::optional<OpenFailure> open(const std::filesystem::path& device,
                                            const LineSettings& settings) = 0;
    // Applies `settings` to the open device; the system's reason when it refuses them.
    virtual std::optional<std::string> apply(const LineSettings& settings) = 0;
    // The bytes received since the last read (one char per byte), at most
    // `limit` when it is above 0; empty when none or when closed. Never waits.
    virtual std::string read(std::size_t limit) = 0;
    // Hands the bytes to the device without waiting for them to leave.
    virtual void write(std::string_view bytes) = 0;
    // Closes the device and forgets what was received and not read.
    virtual void close() = 0;
    // Ticks every `intervalMs` until stopTimer(), also while a modal box is open.
    virtual void startTimer(int intervalMs) = 0;
    virtual void stopTimer() = 0;
    // Bytes lost because the input buffer was full.
    virtual std::size_t droppedBytes() const = 0;

    void setListener(Listener* listener) { listener_ = listener; }

protected:
    void reportLost(const std::string& reason) {
        if (listener_) listener_->deviceLost(reason);
    }
    void reportTick() {
        if (listener_) listener_->timerTick();
    }

private:
    Listener* listener_ = nullptr;
};

}  // namespace vostel
