#pragma once
// Learning a button from several presses: which packets are samples of the
// button, and the template they agree on. One press is a noisy sample; the
// element-wise median of several lies near the button's true timing, so later
// presses land well within the match tolerance.
#include <cstddef>
#include <optional>
#include <vector>

#include "runtime/types.h"

namespace vostel {

// Fewer samples than this give no template.
inline constexpr std::size_t kMinSamples = 3;

// A packet that is not taken as a sample, and why.
struct LeftOut {
    enum class Why {
        Length,    // not of the most common length
        Distance,  // an element lies more than the tolerance from the template
    };
    Why why = Why::Length;
    std::size_t packet = 0;   // index into the packets given
    std::size_t length = 0;   // Length: its element count
    std::size_t element = 0;  // Distance: the element furthest from the template (the first such)
    int distance = 0;         // Distance: how far it lies from the template there
};

struct LearnedTemplate {
    std::size_t length = 0;            // the most common length: the samples' length
    std::vector<std::size_t> samples;  // indexes of the packets the template is taken from
    std::vector<LeftOut> leftOut;      // in the order they were left out
    std::optional<Packet> packet;      // none when fewer than kMinSamples remain
    std::size_t element = 0;           // where a sample lies furthest from it (the first such)
    int largest = 0;                   // how far: every sample lies within this of the template
};

// The element-wise median of packets of one length; with an even number, the
// lower of the two middle values. `packets` must not be empty.
Packet lowerMedian(const std::vector<const Packet*>& packets);

// Chooses the samples and the template. The packets of the most common length
// are the samples (the length seen first wins a tie); the template is their
// element-wise lower median. Samples with an element more than the match
// tolerance from it are left out and the median is taken again over the rest,
// until every remaining sample lies within the tolerance.
LearnedTemplate learnTemplate(const std::vector<Packet>& packets);

}  // namespace vostel
