#pragma once
// Why a packet is or is not recognised: the record that matches it and the
// later ones it hides, or the records and lengths that come nearest.
#include <cstddef>
#include <optional>
#include <vector>

#include "library/library_file.h"

namespace vostel {

// How a packet compares with one record of the same length.
struct Comparison {
    std::size_t record = 0;
    std::size_t beyond = 0;  // elements more than 20 apart
    long excess = 0;         // by how much they are beyond 20, summed
    int largest = 0;         // the largest difference, without its sign
    std::size_t where = 0;   // its element (the first, when several share it)
};

Comparison compareWith(const Packet& packet, const Packet& stored, std::size_t record);

struct Explanation {
    std::optional<Comparison> match;       // the record the program recognises
    std::vector<Comparison> alsoMatching;  // later records that would have matched too
    std::vector<Comparison> nearest;       // no match: the nearest records of the same length
    struct Length {
        std::size_t length;
        std::vector<std::size_t> records;
    };
    std::vector<Length> nearestLengths;  // no record of the packet's length: the nearest lengths
};

// Explains the packet against the library as the program scans it (records
// without a packet are passed over). `nearest` holds at most `shown` records,
// fewest elements beyond 20 first, then the smallest excess; `nearestLengths`
// at most `shown` lengths, nearest first (the shorter first on a tie).
Explanation explainMatch(const SignalLibrary& library, const Packet& packet, std::size_t shown = 3);

}  // namespace vostel
