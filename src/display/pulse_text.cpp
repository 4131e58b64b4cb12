#include "display/pulse_text.h"

#include <algorithm>
#include <cmath>

namespace vostel {

std::string pulseTrainText(const Packet& packet, std::size_t width) {
    std::string text;
    bool first = true;
    for (int16_t duration : packet) {
        // The segment's length in pixels as drawPacket draws it.
        const double pixels = std::max(0.0, std::floor(duration * 0.3));
        const auto chars =
            std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(pixels / kPixelsPerCharacter)));
        for (std::size_t i = 0; i < chars; ++i) {
            if (text.size() == width) {
                if (width > 0) text.back() = '>';
                return text;
            }
            text += first ? '#' : '_';
        }
        first = !first;
    }
    return text;
}

}  // namespace vostel
