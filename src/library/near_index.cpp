#include "library/near_index.h"

#include <algorithm>

#include "library/tolerance.h"

namespace vostel {

namespace {
constexpr std::size_t kLeafSize = 32;
}

NearIndex::NearIndex(const SignalLibrary& library, std::vector<std::size_t> records)
    : records_(std::move(records)) {
    if (records_.empty()) return;
    length_ = library[records_.front()].packet->size();
    values_.reserve(records_.size() * length_);
    for (std::size_t r : records_)
        values_.insert(values_.end(), library[r].packet->begin(), library[r].packet->end());
    // Rows are in record order, so a lower row is a lower record index.
    positions_.resize(records_.size());
    for (std::size_t i = 0; i < positions_.size(); ++i) positions_[i] = i;
    build(0, positions_.size());
    // The rows again in the tree's order, so a leaf's packets are read one after another.
    ordered_.reserve(values_.size());
    for (std::size_t position : positions_)
        ordered_.insert(ordered_.end(), row(position), row(position) + length_);
}

// Splits the records on the element whose values spread widest, at the median,
// until a part is small or all its packets are equal. Leaves keep their
// records in index order, so a search can stop at the first that is near.
std::size_t NearIndex::build(std::size_t begin, std::size_t end) {
    const std::size_t self = nodes_.size();
    Node leaf;
    leaf.begin = begin;
    leaf.end = end;
    leaf.lowest = *std::min_element(positions_.begin() + begin, positions_.begin() + end);
    nodes_.push_back(leaf);
    std::size_t widest = 0;
    int spread = 0;
    if (end - begin > kLeafSize) {
        std::vector<int16_t> lo(row(positions_[begin]), row(positions_[begin]) + length_), hi = lo;
        for (std::size_t i = begin + 1; i < end; ++i) {
            const int16_t* r = row(positions_[i]);
            for (std::size_t e = 0; e < length_; ++e) {
                lo[e] = std::min(lo[e], r[e]);
                hi[e] = std::max(hi[e], r[e]);
            }
        }
        for (std::size_t e = 0; e < length_; ++e) {
            if (hi[e] - lo[e] > spread) {
                spread = hi[e] - lo[e];
                widest = e;
            }
        }
    }
    if (spread == 0) {
        std::sort(positions_.begin() + begin, positions_.begin() + end);
        return self;
    }
    const std::size_t mid = begin + (end - begin) / 2;
    std::nth_element(positions_.begin() + begin, positions_.begin() + mid, positions_.begin() + end,
                     [&](std::size_t a, std::size_t b) { return value(a, widest) < value(b, widest); });
    int leftMax = value(positions_[begin], widest);
    for (std::size_t i = begin; i < mid; ++i) leftMax = std::max(leftMax, value(positions_[i], widest));
    const int rightMin = value(positions_[mid], widest);  // before the right part is reordered
    const std::size_t left = build(begin, mid);
    const std::size_t right = build(mid, end);
    Node& n = nodes_[self];
    n.element = widest;
    n.leftMax = leftMax;
    n.rightMin = rightMin;
    n.left = left;
    n.right = right;
    return self;
}

std::size_t NearIndex::firstWithin(const Packet& p, int distance) const {
    std::size_t best = kNone;  // a row, until the end
    if (!nodes_.empty()) search(0, p, distance, best);
    return best == kNone ? kNone : records_[best];
}

void NearIndex::search(std::size_t node, const Packet& p, int distance, std::size_t& best) const {
    const Node& n = nodes_[node];
    if (n.lowest >= best) return;
    if (n.left == 0) {
        for (std::size_t i = n.begin; i < n.end && positions_[i] < best; ++i) {
            if (withinDistance(p.data(), ordered_.data() + i * length_, length_, distance)) {
                best = positions_[i];
                return;
            }
        }
        return;
    }
    const int v = p[n.element];
    const bool goLeft = v - distance <= n.leftMax;
    const bool goRight = v + distance >= n.rightMin;
    // The side holding the lower index first: what it finds may rule out the other.
    if (nodes_[n.left].lowest <= nodes_[n.right].lowest) {
        if (goLeft) search(n.left, p, distance, best);
        if (goRight) search(n.right, p, distance, best);
    } else {
        if (goRight) search(n.right, p, distance, best);
        if (goLeft) search(n.left, p, distance, best);
    }
}

}  // namespace vostel
