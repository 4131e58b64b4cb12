#include "display/visuals.h"

#include <cmath>

#include "runtime/checked16.h"
#include "runtime/error.h"
#include "runtime/val.h"

namespace vostel {

namespace {

constexpr int kMaxUpperBound = 32767;  // the largest 16-bit index

// The array's upper bound as a 16-bit loop limit: 6 when it does not fit.
int16_t upperBound(std::size_t size) {
    long long ub = static_cast<long long>(size) - 1;
    if (ub > kMaxUpperBound) throw RuntimeError(kErrOverflow);
    return static_cast<int16_t>(ub);
}

// A 16-bit loop counter stepping past 32767 overflows.
void checkLastIndex(int16_t ub) {
    if (ub == kMaxUpperBound) throw RuntimeError(kErrOverflow);
}

}  // namespace

DrawingSurface& Visuals::picBox() const {
    if (!picBox_) throw RuntimeError(kErrObjectNotSet);
    return *picBox_;
}

int16_t Visuals::getHeightInPixels() const {
    const float quotient = picBox().outerHeightTwips() / picBox().twipsPerPixelY();
    return cint(static_cast<double>(quotient));
}

void Visuals::rowStep() {
    const int16_t h = getHeightInPixels();
    if (h == 0) throw RuntimeError(kErrDivisionByZero);
    curRow_ = static_cast<int16_t>(add16(curRow_, 1) % h);
    if (curRow_ == 0) picBox().Cls();
}

void Visuals::drawPacket(const Packet& thePacket) {
    DrawingSurface& area = picBox();
    curX_ = 0;
    colorPhase_ = true;
    area.PSet(0.0f, curRow_);
    const int16_t ub = upperBound(thePacket.size());
    for (int i = 0; i <= ub; ++i) {
        const ColorValue color = phaseColor();
        curX_ += std::floor(static_cast<double>(thePacket[i]) * 0.3);
        area.Line(static_cast<float>(curX_), curRow_, color);
        colorPhase_ = !colorPhase_;
    }
    checkLastIndex(ub);
    curRow_ = add16(curRow_, 1);
    if (curRow_ >= getHeightInPixels()) {
        curRow_ = 0;
        area.Cls();
    }
}

void Visuals::drawEncodedData(const std::vector<uint8_t>& theData) {
    const int16_t ub = upperBound(theData.size());
    for (int i = 0; i <= ub; ++i) {
        const uint8_t b = theData[i];
        if (b == 170) {
            rowStep();
            curX_ = 0;
            continue;
        }
        for (int mask = 1; mask <= 128; mask <<= 1) {
            const ColorValue color = (b & mask) ? kSetBit : kPaleOrange;
            picBox().PSet(static_cast<float>(std::floor(curX_)), curRow_, color);
            curX_ += 0.4;
        }
    }
    checkLastIndex(ub);
}

void Visuals::drawData(const std::vector<uint8_t>& theData) {
    const int16_t ub = upperBound(theData.size());
    for (int i = 0; i <= ub; ++i) {
        const bool was255 = theData[i] == 255;
        const int value = was255 ? 3 : theData[i];
        if (value == 170) {
            colorPhase_ = true;
            rowStep();
            curX_ = 0;
            picBox().PSet(0.0f, curRow_);
            continue;
        }
        const ColorValue color = phaseColor();
        curX_ += std::floor(value * 0.5);
        picBox().Line(static_cast<float>(curX_), curRow_, color);
        if (!was255) colorPhase_ = !colorPhase_;
    }
    checkLastIndex(ub);
}

}  // namespace vostel
