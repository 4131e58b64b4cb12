#pragma once
// PictureBox: the drawing area of the main window. It draws into a persistent
// image, so what was drawn survives being covered, and paints that image
// inside a 2-pixel sunken frame.
#include <QFrame>
#include <QImage>
#include <QPoint>

#include "display/drawing_surface.h"

namespace vostel::qt {

class PictureBox : public QFrame, public DrawingSurface {
    Q_OBJECT
public:
    static constexpr int kFrameWidth = 2;
    static constexpr float kTwipsPerPixel = 15.0f;

    // outerWidth x outerHeight logical pixels, frame included.
    PictureBox(int outerWidth, int outerHeight, QWidget* parent = nullptr);

    void PSet(float x, float y) override;
    void PSet(float x, float y, ColorValue color) override;
    // Paints every pixel from the current point to the end point, both included.
    void Line(float x, float y, ColorValue color) override;
    void Cls() override;
    float outerHeightTwips() const override;
    float twipsPerPixelY() const override { return kTwipsPerPixel; }

    // The drawing, inside the frame; pixel (0, 0) is the inside's top-left corner.
    const QImage& image() const { return image_; }
    QRgb backColor() const { return backColor_; }
    QRgb foreColor() const { return foreColor_; }

    // 0x00BBGGRR to the screen's RGB.
    static QRgb toRgb(ColorValue color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void plot(QPoint p, QRgb rgb);
    static QPoint toPixel(float x, float y);

    QImage image_;
    QRgb backColor_;
    QRgb foreColor_;
    QPoint current_{0, 0};
};

}  // namespace vostel::qt
