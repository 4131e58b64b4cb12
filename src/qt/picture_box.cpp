#include "qt/picture_box.h"

#include <QPaintEvent>
#include <QPainter>

namespace vostel::qt {

PictureBox::PictureBox(int outerWidth, int outerHeight, QWidget* parent)
    : QFrame(parent),
      PixelArea(outerWidth, outerHeight),
      image_(reinterpret_cast<const uchar*>(pixels()), imageWidth(), imageHeight(), imageWidth() * 4,
             QImage::Format_RGB32) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kFrameWidth);
    setFixedSize(outerWidth, outerHeight);
    setFocusPolicy(Qt::StrongFocus);
    // The image covers the whole inside, so nothing behind it needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), image_);
    drawFrame(&painter);
}

}  // namespace vostel::qt
