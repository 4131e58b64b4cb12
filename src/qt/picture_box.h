#pragma once
// PictureBox: the drawing area of the main window. It draws into a persistent
// image (the pixel rules of PixelArea), so what was drawn survives being
// covered, and paints that image inside a 2-pixel sunken frame.
#include <QFrame>
#include <QImage>

#include "display/pixel_area.h"

namespace vostel::qt {

class PictureBox : public QFrame, public PixelArea {
    Q_OBJECT
public:
    // outerWidth x outerHeight logical pixels, frame included.
    PictureBox(int outerWidth, int outerHeight, QWidget* parent = nullptr);

    // The drawing, inside the frame; pixel (0, 0) is the inside's top-left corner.
    const QImage& image() const { return image_; }
    QRgb backColor() const { return toRgb(kBackColor); }
    QRgb foreColor() const { return toRgb(kForeColor); }

protected:
    void changed() override { update(); }
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;  // shows PixelArea's pixels, without a copy
};

}  // namespace vostel::qt
