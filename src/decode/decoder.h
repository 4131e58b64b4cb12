#pragma once
// Decoder: cuts the receiver's byte stream into Packets at the 0xFE/0xFF markers.
#include <memory>
#include <string>
#include <string_view>

#include "decode/fifo.h"
#include "runtime/types.h"
#include "serial/protocol.h"

namespace vostel {

class Decoder {
public:
    // Frames one chunk of raw input text and queues every Packet it completes.
    // Raises 0 on a framing error (after queueing the Packets in front of the
    // fault), 6 for a chunk of 32,767 bytes or more (nothing changes) and 6 for
    // a pending packet that has grown too long to become a Packet (it is dropped).
    void setData(std::string_view theIRData);
    bool packetIsLeft();
    // The oldest queued Packet, removed from the queue; absent when none is queued.
    OptPacket getNextPacket();

    // The unfinished packet carried over to the next chunk (for tests and tools).
    const std::string& fragment() const { return fragment_; }

    // The longest framed packet text, markers included (its length is a 16-bit count).
    static constexpr std::size_t kMaxText = 32767;
    // The Packets it delivers: from kMinDurations to kMaxDurations durations
    // (shorter ones are dropped), each a byte value below the end marker's.
    static constexpr std::size_t kMinDurations = 3;
    static constexpr std::size_t kMaxDurations = kMaxText - 2;
    static constexpr int kMinDuration = 0;
    static constexpr int kMaxDuration = static_cast<unsigned char>(protocol::kPacketEnd) - 1;

private:
    void storeFragment(std::string_view text);
    void queuePacket(std::string_view text);
    void extractPackets(std::string_view& text);
    void cut(std::string_view text);
    void finishFragment(std::string_view tail);
    FIFO& queue();

    std::string fragment_;
    std::unique_ptr<FIFO> queue_;
};

}  // namespace vostel
