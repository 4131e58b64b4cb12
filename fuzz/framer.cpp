// Feeds the framer arbitrary chunk sequences and checks its own rules after every chunk.
//
// Input: a control byte c, then the chunk. c < 0xF0: the next c bytes are the chunk.
// c >= 0xF0: a long chunk of one repeated byte, its length in the next two bytes
// (big-endian) and the byte after; bit 0 of c puts a start byte in front of it,
// bit 1 an end byte behind it. Long chunks reach the 32,767 limits; a budget
// keeps one input from framing megabytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "decode/decoder.h"
#include "runtime/error.h"

namespace {

void check(bool ok, const char* rule) {
    if (!ok) {
        std::fprintf(stderr, "framer rule broken: %s\n", rule);
        std::abort();
    }
}

std::size_t count(const std::string& s, char c) {
    std::size_t n = 0;
    for (std::size_t at = s.find(c); at != std::string::npos; at = s.find(c, at + 1)) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vostel::Decoder decoder;
    std::size_t pos = 0;
    std::size_t longBudget = 70000;
    while (pos < size) {
        const uint8_t c = data[pos++];
        std::string chunk;
        if (c < 0xF0) {
            const std::size_t n = std::min<std::size_t>(c, size - pos);
            chunk.assign(reinterpret_cast<const char*>(data + pos), n);
            pos += n;
        } else {
            if (size - pos < 3) break;
            std::size_t n = static_cast<std::size_t>(data[pos]) << 8 | data[pos + 1];
            n = std::min(n, longBudget);
            longBudget -= n;
            const char fill = static_cast<char>(data[pos + 2]);
            pos += 3;
            if (c & 1) chunk += '\xFE';
            chunk.append(n, fill);
            if (c & 2) chunk += '\xFF';
        }

        const std::string before = decoder.fragment();
        int error = -1;
        try {
            decoder.setData(chunk);
        } catch (const vostel::RuntimeError& e) {
            error = e.number();
        }
        check(error == -1 || error == 0 || error == 6, "errors are numbers 0 and 6 only");

        const std::string& fragment = decoder.fragment();
        check(fragment.empty() || (fragment[0] == '\xFE' && count(fragment, '\xFF') == 0),
              "the fragment is empty, or begins with 0xFE and holds no 0xFF");
        check(fragment.size() < vostel::Decoder::kMaxText, "the fragment can still become a packet");

        std::size_t packets = 0, framedBytes = 0;
        while (decoder.packetIsLeft()) {
            vostel::OptPacket p = decoder.getNextPacket();
            check(p.has_value(), "a queued packet is present");
            check(p->size() >= 3, "a packet has at least 3 elements");
            for (int16_t v : *p) check(v >= 0 && v <= 254, "packet elements lie between 0 and 254");
            ++packets;
            framedBytes += p->size() + 2;
        }
        check(!decoder.getNextPacket().has_value(), "an empty queue gives an absent packet");
        check(packets <= count(chunk, '\xFF'), "every packet ends at an end byte of its chunk");
        check(framedBytes <= before.size() + chunk.size(), "packets come from the fragment and the chunk");

        if (chunk.size() >= vostel::Decoder::kMaxText)
            check(error == 6 && packets == 0 && fragment == before, "an oversized chunk changes nothing");
        if (chunk.empty())
            check(error == -1 && packets == 0 && fragment == before, "an empty chunk changes nothing");
        if (error == 0 && packets == 0 && !before.empty() && chunk[0] != '\xFE')
            check(fragment == before || fragment.empty(), "a framing error keeps the fragment");
    }
    return 0;
}
