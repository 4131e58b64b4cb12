#include "display/pixel_area.h"

#include <algorithm>
#include <cmath>

#include "display/line_points.h"
#include "runtime/twips.h"

namespace vostel {

namespace {

constexpr float kFarOff = 1e6f;  // pixels; anything beyond lies far outside every area

}  // namespace

PixelArea::PixelArea(int outerWidth, int outerHeight)
    : width_(std::max(outerWidth - 2 * kFrameWidth, 0)),
      height_(std::max(outerHeight - 2 * kFrameWidth, 0)),
      outerHeight_(outerHeight),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), toRgb(kBackColor)) {}

std::uint32_t PixelArea::toRgb(ColorValue color) {
    const auto c = static_cast<std::uint32_t>(color);
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

int PixelArea::toPixel(float v) {
    if (!(v > -kFarOff)) return -static_cast<int>(kFarOff);  // NaN too
    if (v > kFarOff) return static_cast<int>(kFarOff);
    return static_cast<int>(std::lround(v));
}

ColorValue PixelArea::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    const std::uint32_t c = pixels_[static_cast<std::size_t>(y) * width_ + x];
    return static_cast<ColorValue>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}

void PixelArea::plot(int x, int y, std::uint32_t rgb) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<std::size_t>(y) * width_ + x] = rgb;
}

void PixelArea::PSet(float x, float y) { PSet(x, y, kForeColor); }

void PixelArea::PSet(float x, float y, ColorValue color) {
    currentX_ = toPixel(x);
    currentY_ = toPixel(y);
    plot(currentX_, currentY_, toRgb(color));
    changed();
}

void PixelArea::Line(float x, float y, ColorValue color) {
    const int endX = toPixel(x);
    const int endY = toPixel(y);
    const std::uint32_t rgb = toRgb(color);
    if (currentY_ == endY) {
        // A row segment, the usual case: fill the part inside the image.
        const int from = std::max(std::min(currentX_, endX), 0);
        const int to = std::min(std::max(currentX_, endX), width_ - 1);
        if (endY >= 0 && endY < height_ && from <= to) {
            auto row = pixels_.begin() + static_cast<std::ptrdiff_t>(endY) * width_;
            std::fill(row + from, row + to + 1, rgb);
        }
    } else {
        forEachLinePoint(currentX_, currentY_, endX, endY, [&](int px, int py) { plot(px, py, rgb); });
    }
    currentX_ = endX;
    currentY_ = endY;
    changed();
}

void PixelArea::Cls() {
    std::fill(pixels_.begin(), pixels_.end(), toRgb(kBackColor));
    currentX_ = currentY_ = 0;
    changed();
}

float PixelArea::outerHeightTwips() const {
    return static_cast<float>(outerHeight_) * static_cast<float>(kTwipsPerPixel);
}

float PixelArea::twipsPerPixelY() const { return static_cast<float>(kTwipsPerPixel); }

}  // namespace vostel
