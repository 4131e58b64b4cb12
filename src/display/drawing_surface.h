#pragma once
// What the display needs of a drawing area: points, lines from the current
// point, clearing, and its size for the row wrap.
#include <cstdint>

namespace vostel {

// Colour values are 0x00BBGGRR: red in the low byte, blue in the high byte.
using ColorValue = int32_t;

class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;
    // Paints (x, y) in the foreground colour and makes it the current point.
    virtual void PSet(float x, float y) = 0;
    // Paints (x, y) in `color` and makes it the current point.
    virtual void PSet(float x, float y, ColorValue color) = 0;
    // A line from the current point to the absolute end point (x, y) in
    // `color`; the end point becomes the current point.
    virtual void Line(float x, float y, ColorValue color) = 0;
    // Clears the area to its background colour; the current point goes to (0, 0).
    virtual void Cls() = 0;
    // The area's height including its frame, in twips.
    virtual float outerHeightTwips() const = 0;
    // Twips in one pixel row of the screen.
    virtual float twipsPerPixelY() const = 0;
};

}  // namespace vostel
