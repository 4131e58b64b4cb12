#include "display/pulse_text.h"

#include <gtest/gtest.h>

using namespace vostel;

TEST(PulseTrainText, SegmentsAlternateAtTheWindowsScale) {
    // 226 and 113 are 67 and 33 pixels: 8 and 4 characters. A pulse of 14 is
    // 4 pixels, half a character, and still gets one; 0 and negative ones too.
    EXPECT_EQ(pulseTrainText({226, 113, 14, 42, 14, 14}), "########____#__#_");
    EXPECT_EQ(pulseTrainText({0, -5, 80}), "#_###");
    EXPECT_EQ(pulseTrainText({}), "");
}

TEST(PulseTrainText, ALongTrainIsCutWithAMark) {
    EXPECT_EQ(pulseTrainText({254, 254}, 10), "#########>");
    EXPECT_EQ(pulseTrainText({14, 14, 14}, 3), "#_#");  // fits exactly: no mark
    EXPECT_EQ(pulseTrainText({14, 14, 14}, 0), "");
}
