// Choosing the samples and the template when a button is learned from several presses.
#include "library/learn.h"

#include <gtest/gtest.h>

using namespace vostel;

namespace {

using Why = LeftOut::Why;

// A press of a 4-element button, each element moved by `d`.
Packet press(int d0, int d1 = 0, int d2 = 0, int d3 = 0) {
    return Packet{int16_t(100 + d0), int16_t(50 + d1), int16_t(200 + d2), int16_t(30 + d3)};
}

}  // namespace

TEST(LearnTest, TheLowerMedianOfEveryElement) {
    const Packet a{1, 9, 5}, b{3, 7, 5}, c{2, 8, 4}, d{4, 6, 6};
    EXPECT_EQ(lowerMedian({&a, &b, &c}), (Packet{2, 8, 5}));
    // Even count: the lower of the two middle values, element by element.
    EXPECT_EQ(lowerMedian({&a, &b, &c, &d}), (Packet{2, 7, 5}));
    EXPECT_EQ(lowerMedian({&a}), a);
}

TEST(LearnTest, PacketsOfTheMostCommonLengthAreTheSamples) {
    const std::vector<Packet> packets{press(1), press(-2),   Packet{100, 50, 200},
                                      press(3), press(0, 4), Packet{1, 2, 3, 4, 5}};
    const LearnedTemplate t = learnTemplate(packets);
    EXPECT_EQ(t.length, 4u);
    EXPECT_EQ(t.samples, (std::vector<std::size_t>{0, 1, 3, 4}));
    ASSERT_EQ(t.leftOut.size(), 2u);
    EXPECT_EQ(t.leftOut[0].why, Why::Length);
    EXPECT_EQ(t.leftOut[0].packet, 2u);
    EXPECT_EQ(t.leftOut[0].length, 3u);
    EXPECT_EQ(t.leftOut[1].packet, 5u);
    EXPECT_EQ(t.leftOut[1].length, 5u);
    ASSERT_TRUE(t.packet);
    EXPECT_EQ(*t.packet, press(0));  // 1, -2, 3, 0 -> lower median 0
    EXPECT_EQ(t.largest, 4);         // packet 4, element 1
    EXPECT_EQ(t.element, 1u);

    // Of two lengths equally common, the one seen first.
    const LearnedTemplate tie =
        learnTemplate({Packet{1, 2, 3}, press(0), press(1), Packet{1, 2, 4}, Packet{1, 2, 5}, press(2)});
    EXPECT_EQ(tie.length, 3u);
    EXPECT_EQ(*tie.packet, (Packet{1, 2, 4}));
}

TEST(LearnTest, ASampleBeyondTheToleranceIsLeftOutAndTheMedianTakenAgain) {
    // Packet 2 is another button: 28 more at element 2. With it, the lower
    // median of element 0 is 101; without it, 100.
    const std::vector<Packet> packets{press(0), press(2), press(9, 0, 28), press(-3), press(1)};
    const LearnedTemplate t = learnTemplate(packets);
    ASSERT_EQ(t.leftOut.size(), 1u);
    EXPECT_EQ(t.leftOut[0].why, Why::Distance);
    EXPECT_EQ(t.leftOut[0].packet, 2u);
    EXPECT_EQ(t.leftOut[0].element, 2u);
    EXPECT_EQ(t.leftOut[0].distance, 28);
    EXPECT_EQ(t.samples, (std::vector<std::size_t>{0, 1, 3, 4}));
    EXPECT_EQ(*t.packet, press(0));
    EXPECT_EQ(t.largest, 3);

    // 21 is beyond, 20 is not.
    EXPECT_EQ(learnTemplate({press(0), press(0), press(0), press(0, 0, 0, 20)}).leftOut.size(), 0u);
    EXPECT_EQ(learnTemplate({press(0), press(0), press(0), press(0, 0, 0, -21)}).leftOut.size(), 1u);

    // The median taken again can leave out more: 35 lies within 20 of the
    // first median (18, pulled up by the two at 60), beyond the second (0).
    const LearnedTemplate again =
        learnTemplate({press(0), press(0), press(0), press(18), press(35), press(60), press(60)});
    ASSERT_TRUE(again.packet);
    EXPECT_EQ(*again.packet, press(0));
    EXPECT_EQ(again.samples, (std::vector<std::size_t>{0, 1, 2, 3}));
    ASSERT_EQ(again.leftOut.size(), 3u);
    EXPECT_EQ(again.leftOut[2].packet, 4u);
    EXPECT_EQ(again.leftOut[2].distance, 35);
}

TEST(LearnTest, FewerThanThreeSamplesGiveNoTemplate) {
    EXPECT_FALSE(learnTemplate({}).packet);
    EXPECT_FALSE(learnTemplate({press(0), press(1)}).packet);
    // Three lengths, two of the most common.
    LearnedTemplate t = learnTemplate({press(0), Packet{1, 2, 3}, press(1), Packet{1, 2, 3, 4, 5}});
    EXPECT_FALSE(t.packet);
    EXPECT_EQ(t.leftOut.size(), 2u);
    // Three of one length, but one far off leaves two.
    t = learnTemplate({press(0), press(0, 50), press(1)});
    EXPECT_FALSE(t.packet);
    EXPECT_EQ(t.samples.size(), 2u);
    ASSERT_EQ(t.leftOut.size(), 1u);
    EXPECT_EQ(t.leftOut[0].packet, 1u);
    EXPECT_EQ(t.leftOut[0].distance, 50);
}
