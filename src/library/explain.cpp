#include "library/explain.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "library/tolerance.h"

namespace vostel {

Comparison compareWith(const Packet& packet, const Packet& stored, std::size_t record) {
    Comparison c{record};
    for (std::size_t i = 0; i < packet.size(); ++i) {
        const int d = std::abs(int{packet[i]} - int{stored[i]});
        if (d > kTolerance) {
            ++c.beyond;
            c.excess += d - kTolerance;
        }
        if (i == 0 || d > c.largest) {
            c.largest = d;
            c.where = i;
        }
    }
    return c;
}

Explanation explainMatch(const SignalLibrary& library, const Packet& packet, std::size_t shown) {
    Explanation e;
    std::map<std::size_t, std::vector<std::size_t>> otherLengths;
    for (std::size_t i = 0; i < library.size(); ++i) {
        const OptPacket& stored = library[i].packet;
        if (!stored) continue;
        if (stored->size() != packet.size()) {
            otherLengths[stored->size()].push_back(i);
            continue;
        }
        const Comparison c = compareWith(packet, *stored, i);
        if (c.beyond > 0) {
            e.nearest.push_back(c);
        } else if (!e.match) {
            e.match = c;
        } else {
            e.alsoMatching.push_back(c);
        }
    }
    if (e.match) {
        e.nearest.clear();
        return e;
    }
    std::stable_sort(e.nearest.begin(), e.nearest.end(), [](const Comparison& a, const Comparison& b) {
        return a.beyond != b.beyond ? a.beyond < b.beyond : a.excess < b.excess;
    });
    if (e.nearest.size() > shown) e.nearest.resize(shown);
    if (e.nearest.empty()) {
        for (auto& [length, records] : otherLengths) e.nearestLengths.push_back({length, std::move(records)});
        const auto gap = [&](std::size_t length) {
            return length > packet.size() ? length - packet.size() : packet.size() - length;
        };
        std::stable_sort(e.nearestLengths.begin(), e.nearestLengths.end(),
                         [&](const Explanation::Length& a, const Explanation::Length& b) {
                             return gap(a.length) < gap(b.length);
                         });
        if (e.nearestLengths.size() > shown) e.nearestLengths.resize(shown);
    }
    return e;
}

}  // namespace vostel
