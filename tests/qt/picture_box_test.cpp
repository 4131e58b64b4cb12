// The real drawing area, on Qt's offscreen platform: the widget shows the
// pixels that PixelArea draws (its rules are tested in pixel_area_test).
#include "qt/picture_box.h"

#include <gtest/gtest.h>
#include <QImage>

namespace vostel::qt {
namespace {

const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kOrange = qRgb(255, 224, 192);
const QRgb kGreen = qRgb(192, 255, 192);

QRgb at(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xFF000000u; }

TEST(PictureBox, SizeFrameAndColours) {
    PictureBox box(673, 369);
    EXPECT_EQ(box.size(), QSize(673, 369));
    EXPECT_EQ(box.frameWidth(), 2);
    EXPECT_EQ(box.image().size(), QSize(669, 365));
    EXPECT_EQ(box.outerHeightTwips(), 5535.0f);
    EXPECT_EQ(box.twipsPerPixelY(), 15.0f);
    EXPECT_EQ(PictureBox::toRgb(0xFF0000), kBlue);
    EXPECT_EQ(PictureBox::toRgb(0xC0E0FF), kOrange);
    EXPECT_EQ(PictureBox::toRgb(0x000001), qRgb(1, 0, 0));
    EXPECT_EQ(at(box.image(), 0, 0), kGreen);
}

TEST(PictureBox, ScreenShowsTheImageInsideTheFrame) {
    PictureBox box(673, 369);
    box.PSet(0, 0, 0xFF0000);
    box.PSet(668, 364, 0xC0E0FF);
    QImage shot = box.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(673, 369));
    EXPECT_EQ(at(shot, 2, 2), kBlue);
    EXPECT_EQ(at(shot, 670, 366), kOrange);
    EXPECT_EQ(at(shot, 3, 2), kGreen);
    EXPECT_NE(at(shot, 0, 0), kGreen);  // the frame

    // Drawn later, it shows in the next picture too: the widget holds no copy.
    box.Line(20, 364, 0xFF0000);
    EXPECT_EQ(at(box.grab().toImage(), 100, 366), kBlue);
    EXPECT_EQ(at(box.image(), 98, 364), kBlue);
}

}  // namespace
}  // namespace vostel::qt
