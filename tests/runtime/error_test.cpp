#include "runtime/error.h"

#include <cerrno>

#include <gtest/gtest.h>

#include "runtime/checked16.h"
#include "support/errors.h"

using namespace vostel;

TEST(RuntimeError, StandardTextsAndTheBoxMessage) {
    EXPECT_EQ(RuntimeError(6).text(), "Overflow");
    EXPECT_EQ(RuntimeError(9).text(), "Subscript out of range");
    EXPECT_EQ(RuntimeError(0).text(), "Application-defined or object-defined error");
    EXPECT_EQ(RuntimeError(8002).text(), "Invalid Port Number");
    EXPECT_EQ(RuntimeError(91).text(), "Object variable or With block variable not set");
    EXPECT_EQ(RuntimeError(5, "Unknown key name {FOO}").text(), "Unknown key name {FOO}");
    EXPECT_EQ(RuntimeError(6).boxMessage(), "Run-time error '6':\n\nOverflow");
}

TEST(RuntimeError, FromErrnoNamesTheFileAndTheReason) {
    RuntimeError e = errorFromErrno(EACCES, "/dev/ttyS2");
    EXPECT_EQ(e.number(), 70);
    EXPECT_NE(e.text().find("/dev/ttyS2"), std::string::npos);
    EXPECT_EQ(e.text(), "Permission denied: /dev/ttyS2 (Permission denied)");
    EXPECT_EQ(errorFromErrno(ENOENT, "x").number(), 53);
    EXPECT_EQ(errorFromErrno(ENOSPC, "x").number(), 61);
}

TEST(Checked16, RaisesOverflowAtTheEdges) {
    EXPECT_EQ(add16(32766, 1), 32767);
    EXPECT_EQ(sub16(-32767, 1), -32768);
    EXPECT_EQ(abs16(-32767), 32767);
    auto overflows = [](auto f) { return vostel::testing::errorOf(f).number() == 6; };
    EXPECT_TRUE(overflows([] { add16(32767, 1); }));
    EXPECT_TRUE(overflows([] { sub16(-32768, 1); }));
    EXPECT_TRUE(overflows([] { abs16(-32768); }));
    EXPECT_TRUE(overflows([] { mul16(200, 200); }));
    EXPECT_TRUE(overflows([] { toInt16(40000); }));
}
