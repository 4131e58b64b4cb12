#pragma once
// Visuals: draws packets as rows of alternately coloured pulse trains, and raw
// byte arrays as bit patterns or duration rows, on one drawing area.
#include <cstdint>
#include <vector>

#include "display/drawing_surface.h"
#include "runtime/types.h"

namespace vostel {

class Visuals {
public:
    static constexpr ColorValue kBlue = 0xFF0000;
    static constexpr ColorValue kPaleOrange = 0xC0E0FF;
    static constexpr ColorValue kSetBit = 0x000001;

    // Keeps a reference to the area; draws nothing and resets nothing.
    void Init(DrawingSurface& thePicBox) { picBox_ = &thePicBox; }

    // Draws the packet on the current row and advances the row, clearing the
    // area when the rows reach its height. Raises 6 for more than 32767 elements.
    void drawPacket(const Packet& thePacket);
    // Eight points per byte, least significant bit first; 170 starts a new row.
    void drawEncodedData(const std::vector<uint8_t>& theData);
    // Bytes as durations at half a pixel per unit; 170 starts a new row, 255 counts as 3.
    void drawData(const std::vector<uint8_t>& theData);

    int16_t curRow() const { return curRow_; }
    double curX() const { return curX_; }
    bool colorPhase() const { return colorPhase_; }

private:
    int16_t getHeightInPixels() const;
    DrawingSurface& picBox() const;
    void rowStep();
    ColorValue phaseColor() const { return colorPhase_ ? kBlue : kPaleOrange; }

    DrawingSurface* picBox_ = nullptr;
    int16_t curRow_ = 0;
    double curX_ = 0;
    bool colorPhase_ = false;
};

}  // namespace vostel
