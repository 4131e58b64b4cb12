#include "runtime/screen_scale.h"

#include <gtest/gtest.h>

namespace vostel {
namespace {

TEST(ScreenScale, FifteenTwipsAPixelAtTheStandardDensityAndProportionallyMoreAbove) {
    // The main window's places at 96 DPI: the picture area 10095 x 5535, a button 1095 x 372.
    EXPECT_EQ(twipsToPixelsAtDpi(10095, kStandardDpi), 673);
    EXPECT_EQ(twipsToPixelsAtDpi(5535, kStandardDpi), 369);
    EXPECT_EQ(twipsToPixelsAtDpi(372, kStandardDpi), 25);  // 24.8
    EXPECT_EQ(twipsToPixelsAtDpi(1080, kStandardDpi), 72);
    // 150 %: ten twips a pixel.
    EXPECT_EQ(twipsToPixelsAtDpi(10095, 144), 1010);  // 1009.5, halves up
    EXPECT_EQ(twipsToPixelsAtDpi(5535, 144), 554);
    EXPECT_EQ(twipsToPixelsAtDpi(372, 144), 37);  // 37.2
    EXPECT_EQ(twipsToPixelsAtDpi(1080, 144), 108);
    EXPECT_EQ(twipsToPixelsAtDpi(0, 144), 0);
    // 200 %: twice the standard pixels.
    EXPECT_EQ(twipsToPixelsAtDpi(11370, 192), 2 * twipsToPixelsAtDpi(11370, kStandardDpi));
}

}  // namespace
}  // namespace vostel
