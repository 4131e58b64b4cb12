// The real drawing area, on Qt's offscreen platform.
#include "qt/picture_box.h"

#include <QImage>
#include <gtest/gtest.h>

#include "display/visuals.h"

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

TEST(PictureBox, DrawnRowPixels) {
    PictureBox box(673, 369);
    Visuals vis;
    vis.Init(box);
    vis.drawPacket({10, 20, 30});
    const QImage& img = box.image();
    // Each line paints its end point; the next segment starts there and paints over it.
    for (int x = 0; x <= 2; ++x) EXPECT_EQ(at(img, x, 0), kBlue) << x;
    for (int x = 3; x <= 8; ++x) EXPECT_EQ(at(img, x, 0), kOrange) << x;
    for (int x = 9; x <= 18; ++x) EXPECT_EQ(at(img, x, 0), kBlue) << x;
    for (int x = 19; x < img.width(); ++x) ASSERT_EQ(at(img, x, 0), kGreen) << x;
    for (int x = 0; x < img.width(); ++x) ASSERT_EQ(at(img, x, 1), kGreen) << x;

    // A packet of short durations leaves only its start point, in the foreground colour.
    vis.drawPacket({});
    EXPECT_EQ(at(img, 0, 1), box.foreColor());
    EXPECT_EQ(at(img, 1, 1), kGreen);
}

TEST(PictureBox, RowsRunOffTheRightEdge) {
    PictureBox box(673, 369);
    Visuals vis;
    vis.Init(box);
    vis.drawPacket(Packet(40, 254));  // 40 * 76 pixels
    EXPECT_EQ(at(box.image(), 668, 0), kBlue);  // the ninth segment covers x 608..684
    EXPECT_EQ(at(box.image(), 0, 1), kGreen);
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
}

TEST(PictureBox, LinesIncludeBothEndsInAnyDirection) {
    PictureBox box(673, 369);
    box.PSet(10, 10);
    box.Line(5, 12, 0xFF0000);   // back and down
    box.Line(5, 12, 0xC0E0FF);   // no length: one point
    EXPECT_EQ(at(box.image(), 10, 10), kBlue);
    EXPECT_EQ(at(box.image(), 5, 12), kOrange);
    int blue = 0;
    for (int y = 10; y <= 12; ++y)
        for (int x = 5; x <= 10; ++x) blue += at(box.image(), x, y) == kBlue;
    EXPECT_EQ(blue, 5);  // 6 columns, the last one repainted
    box.PSet(-5, 50);
    box.Line(2000, 50, 0xFF0000);  // clipped at both sides
    EXPECT_EQ(at(box.image(), 0, 50), kBlue);
    EXPECT_EQ(at(box.image(), 668, 50), kBlue);
}

TEST(PictureBox, WrapClearsAfterRow368) {
    PictureBox box(673, 369);
    Visuals vis;
    vis.Init(box);
    for (int row = 0; row < 364; ++row) vis.drawPacket({10});
    EXPECT_EQ(at(box.image(), 0, 363), kBlue);
    for (int row = 364; row < 369; ++row) vis.drawPacket({10});  // rows under the frame
    EXPECT_EQ(vis.curRow(), 0);
    for (int y = 0; y < box.image().height(); ++y) ASSERT_EQ(at(box.image(), 0, y), kGreen) << y;
}

}  // namespace
}  // namespace vostel::qt
