#include "decode/decoder.h"

#include <initializer_list>
#include <random>

#include <gtest/gtest.h>

#include "runtime/error.h"
#include "support/errors.h"

using namespace vostel;

namespace {

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}

// What one chunk did: the Packets it made available and the error it raised.
struct Outcome {
    std::vector<Packet> packets;
    int error = -1;  // -1: none
};

std::vector<Packet> drain(Decoder& d) {
    std::vector<Packet> out;
    while (d.packetIsLeft()) out.push_back(*d.getNextPacket());
    return out;
}

Outcome feed(Decoder& d, const std::string& chunk) {
    Outcome o;
    try {
        d.setData(chunk);
    } catch (const RuntimeError& e) {
        o.error = e.number();
        // The framer's errors 0 are framing errors, which the shell leaves out by their type.
        if (e.number() == kErrInternal) {
            EXPECT_NE(dynamic_cast<const FramingError*>(&e), nullptr);
        }
    }
    o.packets = drain(d);
    return o;
}

// A framer whose fragment is `fragment` (built through setData).
Decoder withFragment(const std::string& fragment) {
    Decoder d;
    EXPECT_EQ(feed(d, fragment).error, -1);
    EXPECT_EQ(d.fragment(), fragment);
    return d;
}

const Packet P123{16, 32, 48};
const Packet P456{64, 80, 96};

}  // namespace

TEST(Decoder, PacketsWholeAndSplitAtAnyByte) {
    Decoder d;
    Outcome o = feed(d, bytes({0xFE, 0x10, 0x20, 0x30, 0xFF}));
    EXPECT_EQ(o.packets, std::vector<Packet>{P123});
    EXPECT_EQ(o.error, -1);
    EXPECT_EQ(d.fragment(), "");

    // Split inside, directly after the start byte, directly before the end byte.
    for (int at = 1; at <= 4; ++at) {
        const std::string packet = bytes({0xFE, 0x10, 0x20, 0x30, 0xFF});
        Decoder s;
        Outcome first = feed(s, packet.substr(0, at));
        EXPECT_TRUE(first.packets.empty());
        EXPECT_EQ(s.fragment(), packet.substr(0, at));
        Outcome second = feed(s, packet.substr(at));
        EXPECT_EQ(second.packets, std::vector<Packet>{P123}) << "split at " << at;
        EXPECT_EQ(second.error, -1);
        EXPECT_EQ(s.fragment(), "");
    }

    // Over three chunks: the middle one is appended to the fragment.
    Decoder t = withFragment(bytes({0xFE, 0x10}));
    EXPECT_TRUE(feed(t, bytes({0x20})).packets.empty());
    EXPECT_EQ(t.fragment(), bytes({0xFE, 0x10, 0x20}));
    EXPECT_EQ(feed(t, bytes({0x30, 0xFF})).packets, std::vector<Packet>{P123});
    EXPECT_EQ(t.fragment(), "");
}

TEST(Decoder, SeveralPacketsInOneChunkKeepTheirOrder) {
    Decoder d;
    Outcome o = feed(d, bytes({0xFE, 0x10, 0x20, 0x30, 0xFF, 0xFE, 0x40, 0x50, 0x60, 0xFF}));
    EXPECT_EQ(o.packets, (std::vector<Packet>{P123, P456}));
    EXPECT_EQ(o.error, -1);
    EXPECT_EQ(d.fragment(), "");

    Decoder e = withFragment(bytes({0xFE, 0x10, 0x20}));
    o = feed(e, bytes({0x30, 0xFF, 0xFE, 0x40}));
    EXPECT_EQ(o.packets, std::vector<Packet>{P123});
    EXPECT_EQ(e.fragment(), bytes({0xFE, 0x40}));

    Decoder f = withFragment(bytes({0xFE, 0x10, 0x20}));
    o = feed(f, bytes({0x30, 0xFF, 0xFE, 0x40, 0x50, 0x60, 0xFF, 0xFE, 0x70}));
    EXPECT_EQ(o.packets, (std::vector<Packet>{P123, P456}));
    EXPECT_EQ(o.error, -1);
    EXPECT_EQ(f.fragment(), bytes({0xFE, 0x70}));
}

TEST(Decoder, PacketsShorterThanThreeDurationsAreDroppedQuietly) {
    for (const std::string& chunk :
         {bytes({0xFE, 0xFF}), bytes({0xFE, 0x10, 0xFF}), bytes({0xFE, 0x10, 0x20, 0xFF})}) {
        Decoder d;
        Outcome o = feed(d, chunk);
        EXPECT_TRUE(o.packets.empty());
        EXPECT_EQ(o.error, -1);
        EXPECT_EQ(d.fragment(), "");
    }
    Decoder d;
    Outcome o = feed(d, bytes({0xFE, 0x10, 0xFF, 0xFE, 0x20, 0x30, 0x40, 0xFF}));
    EXPECT_EQ(o.packets, (std::vector<Packet>{{32, 48, 64}}));
    EXPECT_EQ(o.error, -1);
    // A short packet finished from a fragment is dropped as well.
    Decoder e = withFragment(bytes({0xFE, 0x10}));
    o = feed(e, bytes({0xFF}));
    EXPECT_TRUE(o.packets.empty());
    EXPECT_EQ(o.error, -1);
    EXPECT_EQ(e.fragment(), "");
}

TEST(Decoder, ChunksWithoutMarkers) {
    Decoder d;
    Outcome o = feed(d, bytes({0x10, 0x20, 0x30}));
    EXPECT_TRUE(o.packets.empty());
    EXPECT_EQ(o.error, -1);
    EXPECT_EQ(d.fragment(), "");

    Decoder e = withFragment(bytes({0xFE, 0x10}));
    o = feed(e, bytes({0x10, 0x20, 0x30}));
    EXPECT_EQ(o.error, -1);
    EXPECT_EQ(e.fragment(), bytes({0xFE, 0x10, 0x10, 0x20, 0x30}));
}

TEST(Decoder, FramingErrorsThatChangeNothing) {
    struct Case {
        const char* what;
        std::string fragment, chunk;
    };
    const Case cases[] = {
        {"end byte alone, no fragment", "", bytes({0xFF})},
        {"bytes before the first start byte", "", bytes({0x00, 0xFE, 0x10, 0x20, 0x30, 0xFF})},
        {"end byte not last, no fragment", "", bytes({0x30, 0xFF, 0x40})},
        {"end byte not last, with fragment", bytes({0xFE, 0x10}), bytes({0x30, 0xFF, 0x40})},
        {"new start byte while unfinished", bytes({0xFE, 0x10}), bytes({0xFE, 0x20})},
        {"end not followed by the next start", bytes({0xFE, 0x10}), bytes({0x20, 0xFF, 0x30, 0xFE, 0x40})},
        {"254 inside a later chunk", bytes({0xFE, 0x10}), bytes({0x20, 0xFE, 0x30, 0xFF})},
        {"end then start, no fragment", "", bytes({0x30, 0xFF, 0xFE, 0x40})},
    };
    for (const Case& c : cases) {
        Decoder d = c.fragment.empty() ? Decoder() : withFragment(c.fragment);
        Outcome o = feed(d, c.chunk);
        EXPECT_EQ(o.error, 0) << c.what;
        EXPECT_TRUE(o.packets.empty()) << c.what;
        EXPECT_EQ(d.fragment(), c.fragment) << c.what;
    }
}

TEST(Decoder, FramingErrorsAfterThePacketsInFrontOfThem) {
    // A complete packet while another is unfinished: queued; the old fragment stays.
    Decoder d = withFragment(bytes({0xFE, 0x10}));
    Outcome o = feed(d, bytes({0xFE, 0x20, 0x30, 0x40, 0xFF}));
    EXPECT_EQ(o.packets, (std::vector<Packet>{{32, 48, 64}}));
    EXPECT_EQ(o.error, -1);
    EXPECT_EQ(d.fragment(), bytes({0xFE, 0x10}));
    // ... but a new beginning after it cannot replace the pending fragment.
    o = feed(d, bytes({0xFE, 0x20, 0x30, 0x40, 0xFF, 0xFE, 0x50}));
    EXPECT_EQ(o.packets, (std::vector<Packet>{{32, 48, 64}}));
    EXPECT_EQ(o.error, 0);
    EXPECT_EQ(d.fragment(), bytes({0xFE, 0x10}));

    for (int trailing : {0x00, 0xFF}) {
        Decoder e;
        o = feed(e, bytes({0xFE, 0x10, 0x20, 0x30, 0xFF, trailing}));
        EXPECT_EQ(o.packets, std::vector<Packet>{P123});
        EXPECT_EQ(o.error, 0);
        EXPECT_EQ(e.fragment(), "");
    }

    // An error after the finished pending packet was queued leaves no fragment.
    Decoder f = withFragment(bytes({0xFE, 0x10, 0x20}));
    o = feed(f, bytes({0x30, 0xFF, 0xFE, 0x40, 0x50, 0x60, 0xFF, 0x00}));
    EXPECT_EQ(o.packets, (std::vector<Packet>{P123, P456}));
    EXPECT_EQ(o.error, 0);
    EXPECT_EQ(f.fragment(), "");
}

TEST(Decoder, A254AmongTheDurations) {
    Decoder d;
    EXPECT_EQ(feed(d, bytes({0xFE, 0x10, 0xFE, 0x20, 0xFF})).packets, (std::vector<Packet>{{16, 254, 32}}));
    Outcome o = feed(d, bytes({0xFE, 0x10, 0xFE}));
    EXPECT_EQ(d.fragment(), bytes({0xFE, 0x10, 0xFE}));
    o = feed(d, bytes({0x20, 0x30, 0xFF}));
    EXPECT_EQ(o.packets, (std::vector<Packet>{{16, 254, 32, 48}}));
    EXPECT_EQ(o.error, -1);
    // Every byte value but the end byte can be a duration.
    std::string all = bytes({0xFE});
    for (int v = 0; v <= 254; ++v) all += static_cast<char>(v);
    all += '\xFF';
    Packet want;
    for (int16_t v = 0; v <= 254; ++v) want.push_back(v);
    EXPECT_EQ(feed(d, all).packets, std::vector<Packet>{want});
}

TEST(Decoder, PacketIsLeftAndTheAbsentPacket) {
    Decoder d;
    EXPECT_FALSE(d.packetIsLeft());
    EXPECT_EQ(d.getNextPacket(), std::nullopt);
    d.setData(bytes({0xFE, 0x10, 0x20, 0x30, 0xFF, 0xFE, 0x40, 0x50, 0x60, 0xFF}));
    EXPECT_TRUE(d.packetIsLeft());
    EXPECT_EQ(d.getNextPacket(), P123);
    EXPECT_TRUE(d.packetIsLeft());
    EXPECT_EQ(d.getNextPacket(), P456);
    EXPECT_FALSE(d.packetIsLeft());
    OptPacket none = d.getNextPacket();
    EXPECT_FALSE(none.has_value());  // absent, not an empty array
}

TEST(Decoder, ChunksOf32767BytesOrMoreAreRefusedBeforeAnythingChanges) {
    Decoder d = withFragment(bytes({0xFE, 0x10}));
    std::string big = bytes({0x20, 0x30, 0xFF}) + std::string(32767 - 3, '\x40');
    big[3] = '\xFE';
    Outcome o = feed(d, big);
    EXPECT_EQ(o.error, 6);
    EXPECT_TRUE(o.packets.empty());
    EXPECT_EQ(d.fragment(), bytes({0xFE, 0x10}));
    EXPECT_EQ(feed(d, std::string(40000, '\x10')).error, 6);
    EXPECT_EQ(d.fragment(), bytes({0xFE, 0x10}));

    // One byte less is framed: finishes the fragment and keeps the new one.
    big.pop_back();
    o = feed(d, big);
    EXPECT_EQ(o.error, -1);
    EXPECT_EQ(o.packets, (std::vector<Packet>{{16, 32, 48}}));
    EXPECT_EQ(d.fragment().size(), 32766u - 3);
}

TEST(Decoder, AFullQueueRefusesTheNextPacket) {
    Decoder d;
    const std::string five = bytes({0xFE, 1, 2, 3, 0xFF});
    std::string chunk;
    for (int i = 0; i < 6553; ++i) chunk += five;  // 32,765 bytes
    for (int i = 0; i < 5; ++i) ASSERT_NO_THROW(d.setData(chunk));
    d.setData(five + five);  // 32,767 Packets now
    EXPECT_EQ(vostel::testing::errorOf([&] { d.setData(five); }).number(), 6);
    EXPECT_EQ(drain(d).size(), 32767u);
    EXPECT_EQ(feed(d, five).packets, (std::vector<Packet>{{1, 2, 3}}));
}

TEST(Decoder, APendingPacketTooLongToFinishIsDroppedWithOverflow) {
    const std::string packet = bytes({0xFE, 0x10, 0x20, 0x30, 0xFF});
    // 32,766 characters can still be finished by the end byte alone.
    Decoder d = withFragment(bytes({0xFE}));
    EXPECT_EQ(feed(d, std::string(32765, '\x11')).error, -1);
    EXPECT_EQ(d.fragment().size(), 32766u);
    Outcome o = feed(d, bytes({0xFF}));
    EXPECT_EQ(o.error, -1);
    ASSERT_EQ(o.packets.size(), 1u);
    EXPECT_EQ(o.packets[0], Packet(32765, 0x11));

    // One more character and it can never become a Packet: dropped at once.
    d = withFragment(bytes({0xFE}));
    feed(d, std::string(32765, '\x11'));
    o = feed(d, bytes({0x12}));
    EXPECT_EQ(o.error, 6);
    EXPECT_EQ(d.fragment(), "");
    EXPECT_EQ(feed(d, packet).packets, std::vector<Packet>{P123});

    // Growing past the limit in one step, from a short fragment.
    d = withFragment(bytes({0xFE, 0x10}));
    EXPECT_EQ(feed(d, std::string(32765, '\x11')).error, 6);
    EXPECT_EQ(d.fragment(), "");

    // A chunk that ends the pending packet beyond the limit drops it, also
    // when the next packet follows in the same chunk (the rest is discarded).
    for (const std::string& tail :
         {std::string(1000, '\x11') + bytes({0xFF}), std::string(1000, '\x11') + bytes({0xFF}) + packet}) {
        Decoder e = withFragment(bytes({0xFE}));
        feed(e, std::string(32000, '\x11'));
        o = feed(e, tail);
        EXPECT_EQ(o.error, 6);
        EXPECT_TRUE(o.packets.empty());
        EXPECT_EQ(e.fragment(), "");
        o = feed(e, packet);
        EXPECT_EQ(o.error, -1);
        EXPECT_EQ(o.packets, std::vector<Packet>{P123});
    }
}

TEST(Decoder, AWellFormedStreamCutAnywhereGivesItsPackets) {
    // Packets of the receiver, back to back, with durations below 254 and at
    // least 3 of them, frame the same however the line delivers them.
    std::mt19937 rng(20261207);
    for (int round = 0; round < 200; ++round) {
        std::string stream;
        std::vector<Packet> sent;
        const int count = std::uniform_int_distribution<int>(1, 12)(rng);
        for (int i = 0; i < count; ++i) {
            Packet p(std::uniform_int_distribution<size_t>(3, 120)(rng));
            stream += '\xFE';
            for (auto& v : p) {
                v = static_cast<int16_t>(std::uniform_int_distribution<int>(0, 253)(rng));
                stream += static_cast<char>(v);
            }
            stream += '\xFF';
            sent.push_back(p);
        }
        Decoder d;
        std::vector<Packet> got;
        for (size_t pos = 0; pos < stream.size();) {
            const size_t n = std::uniform_int_distribution<size_t>(1, 200)(rng);
            Outcome o = feed(d, stream.substr(pos, n));
            ASSERT_EQ(o.error, -1) << "round " << round << " at " << pos;
            got.insert(got.end(), o.packets.begin(), o.packets.end());
            pos += n;
        }
        EXPECT_EQ(got, sent) << "round " << round;
        EXPECT_EQ(d.fragment(), "");
    }
}
