#include "display/visuals.h"

#include <gtest/gtest.h>

#include "runtime/error.h"
#include "support/errors.h"
#include "support/recording_surface.h"

namespace vostel {
namespace {

using Ops = std::vector<std::string>;
using test::RecordingSurface;

int errorNumber(auto&& call) { return testing::errorOf(call).number(); }

struct VisualsTest : ::testing::Test {
    RecordingSurface area;
    Visuals vis;
    void SetUp() override { vis.Init(area); }
    // Draws empty packets until the next packet goes to `row`.
    void moveToRow(int row) {
        while (vis.curRow() != row) vis.drawPacket({});
        area.ops.clear();
    }
};

TEST_F(VisualsTest, PacketIsOneRowOfAlternatingSegments) {
    vis.drawPacket({10, 20, 30});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,0", "Line 3,0 FF0000", "Line 9,0 C0E0FF", "Line 18,0 FF0000"}));
    EXPECT_EQ(vis.curRow(), 1);
    EXPECT_EQ(vis.curX(), 18.0);
}

TEST_F(VisualsTest, ShortDurationsAreSegmentsWithoutLength) {
    vis.drawPacket({0, 1, 2, 3, 4});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,0", "Line 0,0 FF0000", "Line 0,0 C0E0FF", "Line 0,0 FF0000",
                             "Line 0,0 C0E0FF", "Line 1,0 FF0000"}));
}

TEST_F(VisualsTest, LargestDurationAndEmptyPacket) {
    vis.drawPacket({254, 254});  // Int(76.2) each
    vis.drawPacket({});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,0", "Line 76,0 FF0000", "Line 152,0 C0E0FF", "PSet 0,1"}));
    EXPECT_EQ(vis.curRow(), 2);
}

TEST_F(VisualsTest, EveryPacketStartsBlueOnTheNextRow) {
    vis.drawPacket({10, 10, 10});
    area.ops.clear();
    vis.drawPacket({10});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,1", "Line 3,1 FF0000"}));
    EXPECT_TRUE(!vis.colorPhase());
}

TEST_F(VisualsTest, InitKeepsRowAndPhase) {
    vis.drawPacket({10, 10});
    RecordingSurface other;
    vis.Init(other);
    EXPECT_EQ(vis.curRow(), 1);
    EXPECT_EQ(vis.curX(), 6.0);
    vis.drawPacket({10});
    EXPECT_EQ(other.ops, (Ops{"PSet 0,1", "Line 3,1 FF0000"}));
}

TEST_F(VisualsTest, LastRowIsFollowedByClear) {
    moveToRow(368);
    vis.drawPacket({10});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,368", "Line 3,368 FF0000", "Cls"}));
    area.ops.clear();
    vis.drawPacket({10});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,0", "Line 3,0 FF0000"}));
}

TEST_F(VisualsTest, HeightIsRoundedToEvenAndReadAtEachAdvance) {
    area.heightTwips = 37.5f;  // 2.5 pixels: 2 rows
    vis.drawPacket({});
    vis.drawPacket({});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,0", "PSet 0,1", "Cls"}));
    area.ops.clear();
    area.heightTwips = 52.5f;  // 3.5 pixels: 4 rows
    for (int i = 0; i < 4; ++i) vis.drawPacket({});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,0", "PSet 0,1", "PSet 0,2", "PSet 0,3", "Cls"}));
    area.ops.clear();
    area.heightTwips = 22.5f;  // 1.5 pixels: 2 rows
    vis.drawPacket({});
    area.heightTwips = 5535;  // the area grew: no clear at row 2
    vis.drawPacket({});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,0", "PSet 0,1"}));
    EXPECT_EQ(vis.curRow(), 2);
}

TEST_F(VisualsTest, HeightBeyondSixteenBitsOverflowsAfterTheRow) {
    area.heightTwips = 40000.f * 15;
    EXPECT_EQ(errorNumber([&] { vis.drawPacket({10}); }), kErrOverflow);
    EXPECT_EQ(area.ops, (Ops{"PSet 0,0", "Line 3,0 FF0000"}));
}

TEST_F(VisualsTest, TooManyElementsOverflowAfterTheStartPoint) {
    moveToRow(5);
    Packet big(32769, 10);  // upper bound 32768
    EXPECT_EQ(errorNumber([&] { vis.drawPacket(big); }), kErrOverflow);
    EXPECT_EQ(area.ops, (Ops{"PSet 0,5"}));
    EXPECT_EQ(vis.curRow(), 5);
}

TEST_F(VisualsTest, UpperBound32767DrawsTheWholeRowThenOverflows) {
    moveToRow(5);
    Packet big(32768, 10);  // upper bound 32767
    EXPECT_EQ(errorNumber([&] { vis.drawPacket(big); }), kErrOverflow);
    ASSERT_EQ(area.ops.size(), 1u + 32768u);
    EXPECT_EQ(area.ops.back(), "Line 98304,5 C0E0FF");
    EXPECT_EQ(vis.curRow(), 5);
    area.ops.clear();
    vis.drawPacket(Packet(32767, 10));  // upper bound 32766 is fine
    EXPECT_EQ(vis.curRow(), 6);
}

TEST_F(VisualsTest, WithoutAreaDrawingFails) {
    Visuals fresh;
    EXPECT_EQ(errorNumber([&] { fresh.drawPacket({1}); }), 91);
}

TEST_F(VisualsTest, EncodedDataMarkerThenBits) {
    vis.drawEncodedData({170, 5});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,1 000001", "PSet 0,1 C0E0FF", "PSet 0,1 000001", "PSet 1,1 C0E0FF",
                             "PSet 1,1 C0E0FF", "PSet 2,1 C0E0FF", "PSet 2,1 C0E0FF", "PSet 2,1 C0E0FF"}));
    EXPECT_EQ(vis.curRow(), 1);
    EXPECT_LT(vis.curX(), 3.2);
    EXPECT_GT(vis.curX(), 3.19);
}

TEST_F(VisualsTest, EncodedDataAccumulatesTheStep) {
    vis.drawEncodedData({170, 0, 0xFF});
    ASSERT_EQ(area.ops.size(), 16u);
    EXPECT_EQ(area.ops[10], "PSet 3,1 000001");  // the eleventh point: curX just under 4
    EXPECT_EQ(area.ops[15], "PSet 6,1 000001");
    EXPECT_FALSE(vis.colorPhase());
}

TEST_F(VisualsTest, EncodedDataBeforeAMarkerContinuesTheRow) {
    vis.drawPacket({10, 20});  // ends at x 9, next row 1
    area.ops.clear();
    vis.drawEncodedData({1});
    EXPECT_EQ(area.ops.front(), "PSet 9,1 000001");
}

TEST_F(VisualsTest, DataRowWith255) {
    vis.drawData({170, 10, 255, 20});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,1", "Line 5,1 FF0000", "Line 6,1 C0E0FF", "Line 16,1 C0E0FF"}));
    EXPECT_TRUE(vis.colorPhase());
    EXPECT_EQ(vis.curX(), 16.0);
}

TEST_F(VisualsTest, DataBeforeAMarkerContinuesFromThePreviousState) {
    vis.drawPacket({10, 20, 30});  // curX 18, phase false afterwards
    area.ops.clear();
    vis.drawData({11, 3});
    EXPECT_EQ(area.ops, (Ops{"Line 23,1 C0E0FF", "Line 24,1 FF0000"}));
}

// A marker in the middle of data, on a display that has already drawn,
// starts the next row at the left edge.
TEST_F(VisualsTest, MarkerInTheMiddleStartsTheRowAtTheLeftEdge) {
    vis.drawPacket({10, 20, 30});  // curX 18, next row 1
    area.ops.clear();
    vis.drawData({40, 170, 20});
    EXPECT_EQ(area.ops, (Ops{"Line 38,1 C0E0FF", "PSet 0,2", "Line 10,2 FF0000"}));

    vis.drawPacket({10, 20, 30});  // row 2 again, then curX 18, next row 3
    area.ops.clear();
    vis.drawEncodedData({1, 170, 1});
    ASSERT_EQ(area.ops.size(), 16u);
    EXPECT_EQ(area.ops[0], "PSet 18,3 000001");
    EXPECT_EQ(area.ops[8], "PSet 0,4 000001");
    EXPECT_EQ(area.ops[15], "PSet 2,4 C0E0FF");
}

TEST_F(VisualsTest, MarkerThatWrapsClearsBeforeTheRow) {
    area.heightTwips = 30;  // 2 rows
    vis.drawData({170});
    EXPECT_EQ(area.ops, (Ops{"PSet 0,1"}));
    area.ops.clear();
    vis.drawData({170, 4});
    EXPECT_EQ(area.ops, (Ops{"Cls", "PSet 0,0", "Line 2,0 FF0000"}));
    area.ops.clear();
    vis.drawEncodedData({170, 170});
    EXPECT_EQ(area.ops, (Ops{"Cls"}));
    EXPECT_EQ(vis.curRow(), 0);
}

TEST_F(VisualsTest, RendererRowStepNeedsAHeight) {
    area.heightTwips = 0;
    EXPECT_EQ(errorNumber([&] { vis.drawData({170}); }), 11);
    EXPECT_EQ(errorNumber([&] { vis.drawEncodedData({170}); }), 11);
}

TEST_F(VisualsTest, EmptyArraysChangeNothing) {
    vis.drawPacket({10, 20});
    area.ops.clear();
    vis.drawData({});
    vis.drawEncodedData({});
    EXPECT_TRUE(area.ops.empty());
    EXPECT_EQ(vis.curRow(), 1);
    EXPECT_EQ(vis.curX(), 9.0);
    EXPECT_TRUE(vis.colorPhase());
}

TEST_F(VisualsTest, RendererSizeLimits) {
    std::vector<uint8_t> over(32769, 4);
    EXPECT_EQ(errorNumber([&] { vis.drawData(over); }), kErrOverflow);
    EXPECT_EQ(errorNumber([&] { vis.drawEncodedData(over); }), kErrOverflow);
    EXPECT_TRUE(area.ops.empty());
    std::vector<uint8_t> limit(32768, 4);
    EXPECT_EQ(errorNumber([&] { vis.drawData(limit); }), kErrOverflow);
    EXPECT_EQ(area.ops.size(), 32768u);
    area.ops.clear();
    EXPECT_EQ(errorNumber([&] { vis.drawEncodedData(limit); }), kErrOverflow);
    EXPECT_EQ(area.ops.size(), 8u * 32768u);
}

}  // namespace
}  // namespace vostel
