#include "remote.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "library/library_file.h"
#include "runtime/cp1252.h"
#include "serial/protocol.h"

namespace vostel::sim {

namespace {

// Durations in units of 40 us: leader 9 ms pulse and 4.5 ms space; bits are a
// 0.56 ms pulse and a 0.56 ms or 1.68 ms space. Short and long spaces differ by
// 28 units, so two different codes never come within the receiver program's
// tolerance of 20, even with jitter.
constexpr int kLeaderPulse = 225;
constexpr int kLeaderSpace = 112;
constexpr int kBitPulse = 14;
constexpr int kShortSpace = 14;
constexpr int kLongSpace = 42;

std::vector<int> necCode(std::uint8_t address, std::uint8_t command) {
    std::vector<int> d{kLeaderPulse, kLeaderSpace};
    std::uint32_t bits = address | (std::uint32_t(std::uint8_t(~address)) << 8) |
                         (std::uint32_t(command) << 16) | (std::uint32_t(std::uint8_t(~command)) << 24);
    for (int i = 0; i < 32; ++i) {
        d.push_back(kBitPulse);
        d.push_back((bits >> i) & 1u ? kLongSpace : kShortSpace);
    }
    d.push_back(kBitPulse);
    return d;
}

}  // namespace

std::string aliasOf(std::size_t index) {
    char text[24];
    std::snprintf(text, sizeof text, "#%zu", index);
    return text;
}

std::vector<Button> demoRemote() {
    constexpr std::uint8_t kAddress = 0x04;
    std::vector<Button> buttons{
        {"power", necCode(kAddress, 0x08), 'p', {}}, {"vol+", necCode(kAddress, 0x02), '+', {}},
        {"vol-", necCode(kAddress, 0x03), '-', {}},  {"mute", necCode(kAddress, 0x09), 'm', {}},
        {"ch+", necCode(kAddress, 0x00), 'c', {}},   {"ch-", necCode(kAddress, 0x01), 'v', {}},
        {"1", necCode(kAddress, 0x11), '1', {}},     {"2", necCode(kAddress, 0x12), '2', {}},
        {"3", necCode(kAddress, 0x13), '3', {}},
    };
    for (std::size_t i = 0; i < buttons.size(); ++i) buttons[i].alias = aliasOf(i);
    return buttons;
}

// A moved duration stays a byte the unit sends inside a packet: never 0xFF
// (the end byte), nor 0xFE, which the framer takes for a start byte when a
// read begins with it; and never 0, which no pulse measures.
constexpr int kLowestMoved = 1;
constexpr int kHighestMoved = 253;

std::string packetBytes(const std::vector<int>& durations, int jitter, std::mt19937& rng) {
    std::string moved;
    std::uniform_int_distribution<int> shift(-jitter, jitter);
    for (int d : durations) {
        int v = jitter > 0 ? std::clamp(d + shift(rng), kLowestMoved, kHighestMoved) : d;
        moved.push_back(char(v));
    }
    return protocol::framed(moved);
}

std::string junkBytes(int most, std::mt19937& rng) {
    std::string junk;
    const int n = std::uniform_int_distribution<int>(1, most)(rng);
    for (int i = 0; i < n; ++i) junk.push_back(char(std::uniform_int_distribution<int>(0, 255)(rng)));
    return junk;
}

std::vector<Button> libraryButtons(const std::string& file) {
    SignalLibrary records = readLibraryFile(file, IfMissing::Fail);
    std::vector<Button> buttons;
    const std::string keys = "123456789abcdefghijklmnopstvwxyz";
    for (std::size_t i = 0; i < records.size(); ++i) {
        const SignalRecord& r = records[i];
        std::string id = cp1252ToUtf8(r.id);
        if (!r.packet) {
            std::fprintf(stderr, "vostel-sim: record %zu (\"%s\") has no packet; left out\n", i, id.c_str());
            continue;
        }
        auto bad = std::find_if(r.packet->begin(), r.packet->end(), [](int v) { return v < 0 || v > 254; });
        if (bad != r.packet->end()) {
            std::fprintf(stderr,
                         "vostel-sim: record %zu (\"%s\") holds %d, which the unit cannot send; left out\n",
                         i, id.c_str(), int(*bad));
            continue;
        }
        Button b{id, std::vector<int>(r.packet->begin(), r.packet->end()), 0, aliasOf(i)};
        if (buttons.size() < keys.size()) b.key = keys[buttons.size()];
        buttons.push_back(std::move(b));
    }
    if (buttons.empty()) throw std::runtime_error(file + " holds no record that can be sent");
    return buttons;
}

const Button* findButton(const std::vector<Button>& buttons, const std::string& name) {
    for (const Button& b : buttons)
        if (b.name == name || b.alias == name) return &b;
    return nullptr;
}

}  // namespace vostel::sim
