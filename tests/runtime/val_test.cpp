#include "runtime/val.h"

#include <cmath>

#include <gtest/gtest.h>

#include "runtime/error.h"
#include "support/errors.h"

using namespace vostel;

namespace {

// The error number `f` raises, or -1.
int errorNumber(auto&& f) { return vostel::testing::errorOf(f).number(); }

}  // namespace

TEST(Val, ReadsTheLeadingDecimalNumber) {
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val("COM3"), 0);
    EXPECT_EQ(Val(" 4"), 4);
    EXPECT_EQ(Val("3,5"), 3);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("-.5"), -0.5);
    EXPECT_EQ(Val("24 and 57"), 24);
    EXPECT_EQ(Val("1.2.3"), 1.2);
    EXPECT_EQ(Val("12$"), 12);
    EXPECT_EQ(Val("7!"), 7);
    EXPECT_EQ(Val("7@1"), 7);
    EXPECT_EQ(Val("7#"), 7);
}

TEST(Val, SkipsBlanksTabsAndLineBreaksAnywhere) {
    EXPECT_EQ(Val(" 2 45 7"), 2457);
    EXPECT_EQ(Val("1 2"), 12);
    EXPECT_EQ(Val("\t1\r\n2"), 12);
    EXPECT_EQ(Val("   "), 0);
    EXPECT_EQ(Val("  -  3"), -3);
    EXPECT_EQ(Val("1.1e +3"), 1100);
}

TEST(Val, SignsAndNegativeZero) {
    EXPECT_EQ(Val("+8"), 8);
    EXPECT_EQ(Val("--5"), 0);
    EXPECT_EQ(Val("+-5"), 0);
    EXPECT_EQ(Val("-"), 0);
    EXPECT_FALSE(std::signbit(Val("-0")));
    EXPECT_FALSE(std::signbit(Val("-0.0e5")));
    EXPECT_FALSE(std::signbit(Val("-1e-400")));
}

TEST(Val, Exponents) {
    EXPECT_EQ(Val("3E1"), 30);
    EXPECT_EQ(Val("2D2"), 200);
    EXPECT_EQ(Val("2d-1"), 0.2);
    EXPECT_EQ(Val("1e-3"), 0.001);
    EXPECT_EQ(Val("1e"), 1);
    EXPECT_EQ(Val("1eA"), 1);
    EXPECT_EQ(Val("1e+"), 1);
    EXPECT_EQ(Val("0e999999999999"), 0);
    EXPECT_EQ(errorNumber([] { Val("1e400"); }), 6);
    EXPECT_EQ(errorNumber([] { Val("-1e400"); }), 6);
    EXPECT_EQ(errorNumber([] { Val("0.000001e315"); }), 6);
    EXPECT_EQ(Val("0.000001e313"), 1e307);
    EXPECT_EQ(Val("1e-400"), 0);
    EXPECT_EQ(Val("123456e-330"), 0);
}

TEST(Val, HexadecimalAndOctal) {
    EXPECT_EQ(Val("&H7F"), 127);
    EXPECT_EQ(Val("&hff"), 255);
    EXPECT_EQ(Val("&H F"), 15);
    EXPECT_EQ(Val("&H00FF"), 255);
    EXPECT_EQ(Val("&H100"), 256);
    EXPECT_EQ(Val("&HFFFF"), -1);
    EXPECT_EQ(Val("&H8000"), -32768);
    EXPECT_EQ(Val("&HFFFFFF"), 16777215);
    EXPECT_EQ(Val("&HFFFFFFFF"), -1);
    EXPECT_EQ(Val("&HFFFF&"), 65535);
    EXPECT_EQ(Val("&H"), 0);
    EXPECT_EQ(Val("&Hxyz"), 0);
    EXPECT_EQ(Val("&X12"), 0);
    EXPECT_EQ(Val("&o17"), 15);
    EXPECT_EQ(Val("&O377"), 255);
    EXPECT_EQ(Val("&O177777"), -1);
    EXPECT_EQ(Val("&O177777%"), -1);
    EXPECT_EQ(Val("&O78"), 7);
    EXPECT_EQ(errorNumber([] { Val("&H1FFFFFFFF"); }), 6);
    EXPECT_EQ(errorNumber([] { Val("&H10000%"); }), 6);
}

TEST(Val, TypeSuffixes) {
    EXPECT_EQ(Val("50%"), 50);
    EXPECT_EQ(Val("-32768%"), -32768);
    EXPECT_EQ(Val("70000&"), 70000);
    EXPECT_EQ(errorNumber([] { Val("50.5%"); }), 13);
    EXPECT_EQ(errorNumber([] { Val("1.5&"); }), 13);
    EXPECT_EQ(errorNumber([] { Val("32768%"); }), 6);
    EXPECT_EQ(errorNumber([] { Val("2147483648&"); }), 6);
}

TEST(Cint, RoundsToNearestTiesToEven) {
    const std::pair<double, int> cases[] = {
        {0.5, 0},          {1.5, 2},           {2.5, 2}, {3.5, 4},   {-0.5, 0},
        {-1.5, -2},        {-2.5, -2},         {0.6, 1}, {-0.6, -1}, {2345.5678, 2346},
        {32767.49, 32767}, {-32768.5, -32768}, {0.0, 0}, {-3.49, -3}};
    for (auto [x, want] : cases) EXPECT_EQ(cint(x), want) << x;
}

TEST(Cint, RaisesOverflowOutsideTheRange) {
    for (double x : {32767.5, 32768.0, -32768.51, 1e300, -1e300, std::nan(""), HUGE_VAL})
        EXPECT_EQ(errorNumber([x] { cint(x); }), 6) << x;
}
