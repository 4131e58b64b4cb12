#pragma once
// For records of one packet length: the first record (lowest index) whose
// packet lies within a distance of a given packet in every element. A k-d tree
// over the packets' elements; each part of the tree knows its lowest record
// index, so a search skips every part that cannot hold an earlier record. A
// leaf keeps its packets in blocks of kLanes, element by element, and compares
// one element of a whole block with the packet at a time.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "library/library_file.h"

namespace vostel {

class NearIndex {
public:
    static constexpr std::size_t kNone = SIZE_MAX;
    static constexpr std::size_t kLanes = 32;  // packets compared at once

    // `records`: indexes into `library`, ascending, of records whose packets have one length.
    NearIndex(const SignalLibrary& library, std::vector<std::size_t> records);

    // The lowest index of a record within `distance` of `p` in every element, or kNone.
    std::size_t firstWithin(const Packet& p, int distance) const;

private:
    struct Node {
        std::size_t begin = 0, end = 0;   // its rows: positions_[begin, end)
        std::size_t lowest = 0;           // the lowest record index among them
        std::size_t element = 0;          // inner node: the element it splits on
        int leftMax = 0, rightMin = 0;    // inner node: that element's values on each side
        std::size_t left = 0, right = 0;  // inner node: its children (0 for a leaf)
        std::size_t block = 0;            // leaf: its first block in blocks_
    };

    std::size_t build(std::size_t begin, std::size_t end);
    void search(std::size_t node, const Packet& p, int distance, std::size_t& best) const;
    // The packets side by side, one row per entry of `records` as given.
    const int16_t* row(std::size_t position) const { return values_.data() + position * length_; }
    int value(std::size_t position, std::size_t element) const { return row(position)[element]; }

    std::vector<std::size_t> records_;  // record index of each row
    std::size_t length_ = 0;
    std::vector<int16_t> values_;
    std::vector<std::size_t> positions_;  // rows, ordered by the tree
    std::vector<int16_t> blocks_;         // leaves' packets, kLanes at a time, element by element
    std::vector<Node> nodes_;
};

}  // namespace vostel
