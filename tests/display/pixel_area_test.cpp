// The pixel rules every shell's picture area follows, on the image alone.
#include "display/pixel_area.h"

#include <gtest/gtest.h>

#include <limits>

#include "display/visuals.h"

namespace vostel {
namespace {

constexpr ColorValue kBlue = 0xFF0000;
constexpr ColorValue kOrange = 0xC0E0FF;
constexpr ColorValue kGreen = 0xC0FFC0;

// The main window's picture area: 673 x 369 pixels with its frame.
struct PixelAreaTest : ::testing::Test {
    PixelArea area{673, 369};
    int count(ColorValue color) const {
        int n = 0;
        for (int y = 0; y < area.imageHeight(); ++y)
            for (int x = 0; x < area.imageWidth(); ++x) n += area.pixel(x, y) == color;
        return n;
    }
};

TEST_F(PixelAreaTest, SizeHeightAndColours) {
    EXPECT_EQ(area.imageWidth(), 669);  // inside the 2-pixel frame
    EXPECT_EQ(area.imageHeight(), 365);
    EXPECT_EQ(area.outerHeightTwips(), 5535.0f);  // frame included
    EXPECT_EQ(area.twipsPerPixelY(), 15.0f);
    EXPECT_EQ(count(kGreen), 669 * 365);
    EXPECT_EQ(area.pixel(-1, 0), -1);
    EXPECT_EQ(area.pixel(669, 0), -1);
    // 0x00BBGGRR to opaque 0xFFRRGGBB, as both toolkits' images hold it.
    EXPECT_EQ(PixelArea::toRgb(kBlue), 0xFF0000FFu);
    EXPECT_EQ(PixelArea::toRgb(kOrange), 0xFFFFE0C0u);
    EXPECT_EQ(PixelArea::toRgb(0x000001), 0xFF010000u);
    area.PSet(4, 4, 0x123456);
    EXPECT_EQ(area.pixels()[4 * 669 + 4], 0xFF563412u);
    EXPECT_EQ(area.pixel(4, 4), 0x123456);
}

TEST_F(PixelAreaTest, DrawnRowPixels) {
    Visuals vis;
    vis.Init(area);
    vis.drawPacket({10, 20, 30});
    // Each line paints its end point; the next segment starts there and paints over it.
    for (int x = 0; x <= 2; ++x) EXPECT_EQ(area.pixel(x, 0), kBlue) << x;
    for (int x = 3; x <= 8; ++x) EXPECT_EQ(area.pixel(x, 0), kOrange) << x;
    for (int x = 9; x <= 18; ++x) EXPECT_EQ(area.pixel(x, 0), kBlue) << x;
    EXPECT_EQ(count(kGreen), 669 * 365 - 19);

    // A packet of no segments leaves only its start point, in the foreground colour.
    vis.drawPacket({});
    EXPECT_EQ(area.pixel(0, 1), PixelArea::kForeColor);
    EXPECT_EQ(area.pixel(1, 1), kGreen);
}

TEST_F(PixelAreaTest, RowsRunOffTheRightEdge) {
    Visuals vis;
    vis.Init(area);
    vis.drawPacket(Packet(40, 254));       // 40 * 76 pixels
    EXPECT_EQ(area.pixel(668, 0), kBlue);  // the ninth segment covers x 608..684
    EXPECT_EQ(area.pixel(0, 1), kGreen);
}

TEST_F(PixelAreaTest, LinesIncludeBothEndsInAnyDirection) {
    area.PSet(10, 10);
    area.Line(5, 12, kBlue);    // back and down
    area.Line(5, 12, kOrange);  // no length: one point
    EXPECT_EQ(area.pixel(10, 10), kBlue);
    EXPECT_EQ(area.pixel(5, 12), kOrange);
    EXPECT_EQ(count(kBlue), 5);  // 6 columns, the last one repainted
    area.PSet(-5, 50);
    area.Line(2000, 50, kBlue);  // cut off at both sides
    EXPECT_EQ(area.pixel(0, 50), kBlue);
    EXPECT_EQ(area.pixel(668, 50), kBlue);
    EXPECT_EQ(count(kBlue), 5 + 669);
    area.Line(2000, 51, kOrange);  // a line outside the image paints nothing
    EXPECT_EQ(count(kOrange), 1);
}

TEST_F(PixelAreaTest, CoordinatesRoundToPixelsAndFarOffOnesAreCutOff) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    area.PSet(2.5f, 3.49f, kBlue);  // halves round away from zero
    EXPECT_EQ(area.pixel(3, 3), kBlue);
    area.PSet(1e30f, 7, kBlue);
    area.PSet(std::numeric_limits<float>::quiet_NaN(), 7, kBlue);
    EXPECT_EQ(count(kBlue), 1);
    area.PSet(-kInf, 7);
    area.Line(kInf, 7, kOrange);  // the whole row
    EXPECT_EQ(count(kOrange), 669);
    area.Cls();
    area.PSet(0, 0, kBlue);
    area.Line(1e9f, 1e9f, kBlue);  // a far-off diagonal, drawn as far as the image reaches
    EXPECT_EQ(count(kBlue), 365);
    EXPECT_EQ(area.pixel(364, 364), kBlue);
}

TEST_F(PixelAreaTest, ClsClearsAndMovesTheCurrentPointHome) {
    area.PSet(100, 100, kBlue);
    area.Cls();
    EXPECT_EQ(count(kGreen), 669 * 365);
    area.Line(3, 0, kOrange);  // from (0, 0)
    EXPECT_EQ(count(kOrange), 4);
    EXPECT_EQ(area.pixel(0, 0), kOrange);
}

TEST_F(PixelAreaTest, WrapClearsAfterRow368) {
    Visuals vis;
    vis.Init(area);
    for (int row = 0; row < 364; ++row) vis.drawPacket({10});
    EXPECT_EQ(area.pixel(0, 363), kBlue);
    for (int row = 364; row < 369; ++row) vis.drawPacket({10});  // rows under the frame
    EXPECT_EQ(vis.curRow(), 0);
    EXPECT_EQ(count(kGreen), 669 * 365);
}

}  // namespace
}  // namespace vostel
