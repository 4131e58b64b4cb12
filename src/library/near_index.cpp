#include "library/near_index.h"

#include <algorithm>
#include <array>

namespace vostel {

namespace {

constexpr std::size_t kLeafSize = 32;
constexpr std::size_t kLanes = NearIndex::kLanes;

// Clears the mark of every packet of a block whose element is more than
// `distance` from v; returns whether any mark is left. In 16-bit lanes and free
// of branches, so that the compiler compares the whole block in a few vector
// instructions: max - min is the distance, which always fits 16 bits unsigned.
bool keepNear(const int16_t* column, int16_t v, uint16_t distance, uint16_t* marks) {
    uint16_t any = 0;
    for (std::size_t s = 0; s < kLanes; ++s) {
        const int16_t hi = column[s] > v ? column[s] : v;
        const int16_t lo = column[s] > v ? v : column[s];
        const auto d = static_cast<uint16_t>(static_cast<uint16_t>(hi) - static_cast<uint16_t>(lo));
        marks[s] = static_cast<uint16_t>(marks[s] & (d <= distance ? 0xFFFF : 0));
        any = static_cast<uint16_t>(any | marks[s]);
    }
    return any != 0;
}

}  // namespace

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

    // Each leaf's packets in blocks of kLanes, element by element, so that a
    // search compares one element of a whole block at once.
    std::size_t blocks = 0;
    for (Node& n : nodes_) {
        if (n.left != 0) continue;
        n.block = blocks;
        for (std::size_t start = n.begin; start < n.end; start += kLanes, ++blocks) {
            const std::size_t base = blocks * kLanes * length_;
            blocks_.resize(base + kLanes * length_);
            for (std::size_t s = 0; s < kLanes && start + s < n.end; ++s)
                for (std::size_t e = 0; e < length_; ++e)
                    blocks_[base + e * kLanes + s] = static_cast<int16_t>(value(positions_[start + s], e));
        }
    }
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
        for (std::size_t start = n.begin, block = n.block; start < n.end; start += kLanes, ++block) {
            // Rows ascend within a leaf: only those before the best found count.
            std::size_t count = std::min(kLanes, n.end - start);
            while (count > 0 && positions_[start + count - 1] >= best) --count;
            if (count == 0) return;
            std::array<uint16_t, kLanes> marks{};
            std::fill_n(marks.begin(), count, uint16_t{0xFFFF});
            const int16_t* columns = blocks_.data() + block * kLanes * length_;
            bool left = true;
            for (std::size_t e = 0; e < length_ && left; ++e)
                left = keepNear(columns + e * kLanes, p[e], static_cast<uint16_t>(distance), marks.data());
            if (!left) continue;
            for (std::size_t s = 0; s < count; ++s) {
                if (marks[s]) {
                    best = positions_[start + s];
                    return;
                }
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
