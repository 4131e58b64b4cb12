#include "runtime/twips.h"

#include <gtest/gtest.h>

namespace vostel {
namespace {

TEST(ScreenScale, FifteenTwipsAPixelAtTheStandardDensityAndProportionallyMoreAbove) {
    // The main window's places at 96 DPI: the picture area 10095 x 5535, a button 1095 x 372.
    EXPECT_EQ(twipsToPixels(10095, kStandardDpi), 673);
    EXPECT_EQ(twipsToPixels(5535, kStandardDpi), 369);
    EXPECT_EQ(twipsToPixels(372, kStandardDpi), 25);  // 24.8
    EXPECT_EQ(twipsToPixels(1080, kStandardDpi), 72);
    // 150 %: ten twips a pixel.
    EXPECT_EQ(twipsToPixels(10095, 144), 1010);  // 1009.5, halves up
    EXPECT_EQ(twipsToPixels(5535, 144), 554);
    EXPECT_EQ(twipsToPixels(372, 144), 37);  // 37.2
    EXPECT_EQ(twipsToPixels(1080, 144), 108);
    EXPECT_EQ(twipsToPixels(0, 144), 0);
    // 200 %: twice the standard pixels.
    EXPECT_EQ(twipsToPixels(11370, 192), 2 * twipsToPixels(11370, kStandardDpi));
}

TEST(ScreenScale, AtTheStandardDensityEveryPlaceIsTheNearestWholePixelOfFifteenTwips) {
    // Both shells' windows at 96 DPI keep the pixels they had before DPI
    // scaling: twips / 15 rounded to nearest, halves up.
    for (int twips = 0; twips <= 20000; ++twips) {
        ASSERT_EQ(twipsToPixels(twips, kStandardDpi), (twips + 7) / 15) << twips;
        ASSERT_EQ(twipsToPixels(twips), twipsToPixels(twips, kStandardDpi)) << twips;
    }
}

}  // namespace
}  // namespace vostel
