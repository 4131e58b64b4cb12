#include "library/learn.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "library/tolerance.h"

namespace vostel {

namespace {

struct Furthest {
    std::size_t element = 0;
    int distance = 0;
};

// Where `p` lies furthest from `t` (same length), the first such element.
Furthest furthestFrom(const Packet& p, const Packet& t) {
    Furthest f;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const int d = std::abs(int{p[i]} - int{t[i]});
        if (d > f.distance) f = {i, d};
    }
    return f;
}

// The most common length among the packets; of equally common ones, the one seen first.
std::size_t commonLength(const std::vector<Packet>& packets) {
    std::map<std::size_t, std::size_t> count;
    for (const Packet& p : packets) ++count[p.size()];
    std::size_t best = packets.front().size();
    for (const Packet& p : packets)
        if (count[p.size()] > count[best]) best = p.size();
    return best;
}

}  // namespace

Packet lowerMedian(const std::vector<const Packet*>& packets) {
    const std::size_t n = packets.size();
    Packet median(packets.front()->size());
    std::vector<int16_t> column(n);
    for (std::size_t e = 0; e < median.size(); ++e) {
        for (std::size_t s = 0; s < n; ++s) column[s] = (*packets[s])[e];
        const auto middle = column.begin() + static_cast<std::ptrdiff_t>((n - 1) / 2);
        std::nth_element(column.begin(), middle, column.end());
        median[e] = *middle;
    }
    return median;
}

LearnedTemplate learnTemplate(const std::vector<Packet>& packets) {
    LearnedTemplate result;
    if (packets.empty()) return result;
    result.length = commonLength(packets);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        if (packets[i].size() == result.length)
            result.samples.push_back(i);
        else
            result.leftOut.push_back({LeftOut::Why::Length, i, packets[i].size(), 0, 0});
    }

    // Every sample beyond the tolerance is left out and the median taken again
    // over the rest, until none is: the new median may lie elsewhere.
    while (result.samples.size() >= kMinSamples) {
        std::vector<const Packet*> samples;
        for (std::size_t i : result.samples) samples.push_back(&packets[i]);
        Packet median = lowerMedian(samples);

        std::vector<std::size_t> kept;
        Furthest far;
        for (std::size_t i : result.samples) {
            const Furthest f = furthestFrom(packets[i], median);
            if (f.distance > kTolerance) {
                result.leftOut.push_back({LeftOut::Why::Distance, i, result.length, f.element, f.distance});
                continue;
            }
            kept.push_back(i);
            if (f.distance > far.distance) far = f;
        }
        if (kept.size() == result.samples.size()) {
            result.packet = std::move(median);
            result.element = far.element;
            result.largest = far.distance;
            break;
        }
        result.samples = std::move(kept);
    }
    return result;
}

}  // namespace vostel
