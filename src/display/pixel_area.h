#pragma once
// PixelArea: the pixel rules of a picture area that keeps its drawing in an
// image, the same in every shell. Coordinates are rounded to whole pixels
// (far-off ones clamped), a line paints both its ends, and whatever falls
// outside the image is cut off. The shells show the image inside a frame and
// repaint it when changed() tells them to.
#include <cstdint>
#include <vector>

#include "display/drawing_surface.h"

namespace vostel {

class PixelArea : public DrawingSurface {
public:
    static constexpr int kFrameWidth = 2;
    static constexpr ColorValue kBackColor = 0xC0FFC0;  // pale green
    static constexpr ColorValue kForeColor = 0x000000;  // black, the foreground colour's default

    // outerWidth x outerHeight pixels, the frame included.
    PixelArea(int outerWidth, int outerHeight);

    void PSet(float x, float y) override;
    void PSet(float x, float y, ColorValue color) override;
    // Paints every pixel from the current point to the end point, both included.
    void Line(float x, float y, ColorValue color) override;
    void Cls() override;
    float outerHeightTwips() const override;
    float twipsPerPixelY() const override;

    // The image inside the frame: imageWidth() x imageHeight() pixels, rows top-down,
    // each pixel 0xFFRRGGBB (opaque RGB, the layout both toolkits show).
    const std::uint32_t* pixels() const { return pixels_.data(); }
    int imageWidth() const { return width_; }
    int imageHeight() const { return height_; }
    // The pixel at (x, y) as 0x00BBGGRR; -1 outside the image.
    ColorValue pixel(int x, int y) const;

    // 0x00BBGGRR to 0xFFRRGGBB.
    static std::uint32_t toRgb(ColorValue color);
    // A drawing coordinate to a whole pixel; far-off ones are clamped, they are cut off anyway.
    static int toPixel(float v);

protected:
    // Called after every drawing operation, so the shell repaints.
    virtual void changed() {}

private:
    void plot(int x, int y, std::uint32_t rgb);

    int width_;
    int height_;
    int outerHeight_;
    std::vector<std::uint32_t> pixels_;
    int currentX_ = 0;
    int currentY_ = 0;
};

}  // namespace vostel
