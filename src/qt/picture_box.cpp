#include "qt/picture_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "display/line_points.h"

namespace vostel::qt {

PictureBox::PictureBox(int outerWidth, int outerHeight, QWidget* parent)
    : QFrame(parent),
      image_(outerWidth - 2 * kFrameWidth, outerHeight - 2 * kFrameWidth, QImage::Format_RGB32),
      backColor_(toRgb(0xC0FFC0)),
      foreColor_(qRgb(0, 0, 0)) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kFrameWidth);
    setFixedSize(outerWidth, outerHeight);
    setFocusPolicy(Qt::StrongFocus);
    // The image covers the whole inside, so nothing behind it needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    image_.fill(backColor_);
}

QRgb PictureBox::toRgb(ColorValue color) {
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QPoint PictureBox::toPixel(float x, float y) {
    // Coordinates far outside the area are clamped; they are cut off anyway.
    auto clampRound = [](float v) {
        if (!(v > -1e6f)) return -1000000;
        if (v > 1e6f) return 1000000;
        return static_cast<int>(std::lround(v));
    };
    return {clampRound(x), clampRound(y)};
}

void PictureBox::plot(QPoint p, QRgb rgb) {
    if (p.x() < 0 || p.y() < 0 || p.x() >= image_.width() || p.y() >= image_.height()) return;
    reinterpret_cast<QRgb*>(image_.scanLine(p.y()))[p.x()] = rgb;
}

void PictureBox::PSet(float x, float y) {
    current_ = toPixel(x, y);
    plot(current_, foreColor_);
    update();
}

void PictureBox::PSet(float x, float y, ColorValue color) {
    current_ = toPixel(x, y);
    plot(current_, toRgb(color));
    update();
}

void PictureBox::Line(float x, float y, ColorValue color) {
    const QPoint end = toPixel(x, y);
    const QRgb rgb = toRgb(color);
    int x0 = current_.x();
    int y0 = current_.y();
    if (y0 == end.y()) {
        // A row segment, the usual case: fill the part inside the image.
        const int from = std::max(std::min(x0, end.x()), 0);
        const int to = std::min(std::max(x0, end.x()), image_.width() - 1);
        if (y0 >= 0 && y0 < image_.height() && from <= to) {
            QRgb* line = reinterpret_cast<QRgb*>(image_.scanLine(y0));
            std::fill(line + from, line + to + 1, rgb);
        }
    } else {
        // A straight line from the current point to the end point, both ends painted.
        forEachLinePoint(x0, y0, end.x(), end.y(), [&](int px, int py) { plot({px, py}, rgb); });
    }
    current_ = end;
    update();
}

void PictureBox::Cls() {
    image_.fill(backColor_);
    current_ = {0, 0};
    update();
}

float PictureBox::outerHeightTwips() const {
    return static_cast<float>(height()) * kTwipsPerPixel;
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), image_);
    drawFrame(&painter);
}

}  // namespace vostel::qt
