#include "decode/decoder.h"

#include <cstring>

#include "runtime/error.h"
#include "serial/protocol.h"

namespace vostel {

namespace {

using protocol::kPacketEnd;
using protocol::kPacketStart;

// Position (from 1) of the first `c` in `text`, or 0 when there is none.
std::size_t firstOf(std::string_view text, char c) {
    if (text.empty()) return 0;
    const void* hit = std::memchr(text.data(), c, text.size());
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) + 1 : 0;
}

[[noreturn]] void framingError() { throw FramingError(); }

}  // namespace

FIFO& Decoder::queue() {
    if (!queue_) queue_ = std::make_unique<FIFO>();
    return *queue_;
}

bool Decoder::packetIsLeft() { return !queue().isEmpty(); }

OptPacket Decoder::getNextPacket() {
    if (queue().isEmpty()) return std::nullopt;
    return queue().getElement();
}

void Decoder::setData(std::string_view theIRData) {
    const std::string_view c = theIRData;
    if (c.size() >= kMaxText) throw RuntimeError(kErrOverflow);
    const std::size_t len = c.size();
    const std::size_t a = firstOf(c, kPacketStart);
    const std::size_t b = firstOf(c, kPacketEnd);
    const bool pending = !fragment_.empty();

    if (a == 0) {
        if (b == 0) {  // no markers: continues the pending packet, or is dropped
            if (!pending) return;
            if (fragment_.size() + len >= kMaxText) {
                // Even its end byte alone would make the packet too long: drop it,
                // so that the next start byte begins a fresh packet.
                fragment_.clear();
                throw RuntimeError(kErrOverflow);
            }
            fragment_ += c;
            return;
        }
        if (b == len && pending) {  // the pending packet's last bytes
            finishFragment(c);
            return;
        }
        framingError();
    }
    if (a == 1) {
        if (b == 0) {  // the beginning of a packet
            if (pending) framingError();
            fragment_ = c;
            return;
        }
        cut(c);  // complete packets first; a pending fragment stays as it is
        return;
    }
    if (b == a - 1 && pending) {  // the end of the pending packet, then the next start byte
        finishFragment(c.substr(0, b));
        cut(c.substr(b));
        return;
    }
    framingError();
}

void Decoder::finishFragment(std::string_view tail) {
    if (fragment_.size() + tail.size() > kMaxText) {
        // The packet ends here and is too long to become a Packet: drop it.
        fragment_.clear();
        throw RuntimeError(kErrOverflow);
    }
    std::string framed;
    framed.reserve(fragment_.size() + tail.size());
    framed += fragment_;
    framed += tail;
    queuePacket(framed);
    fragment_.clear();
}

void Decoder::cut(std::string_view text) {
    extractPackets(text);
    storeFragment(text);
}

void Decoder::extractPackets(std::string_view& text) {
    // Each round cuts one packet, from its start byte to its first end byte, off the front.
    while (!text.empty()) {
        if (text.front() == kPacketStart) {
            const std::size_t b = firstOf(text, kPacketEnd);
            if (b >= 2) {
                queuePacket(text.substr(0, b));
                text.remove_prefix(b);
                continue;
            }
            return;
        }
        if (firstOf(text, kPacketEnd) != 0 && firstOf(text, kPacketStart) == 0) framingError();
        return;
    }
}

void Decoder::storeFragment(std::string_view text) {
    if (text.empty()) return;
    if (text.front() != kPacketStart) framingError();
    if (firstOf(text, kPacketEnd) != 0) framingError();
    if (!fragment_.empty()) framingError();
    fragment_ = text;
}

void Decoder::queuePacket(std::string_view text) {
    const std::size_t n = text.size();
    if (n > kMaxText) throw RuntimeError(kErrOverflow);
    if (n == 0 || text.front() != kPacketStart || text.back() != kPacketEnd) framingError();
    if (n - 2 < kMinDurations) return;  // too short to be a signal: dropped without notice
    Packet packet(n - 2);
    for (std::size_t i = 0; i < n - 2; ++i) packet[i] = static_cast<unsigned char>(text[i + 1]);
    queue().addElement(std::move(packet));
}

}  // namespace vostel
