#include "runtime/cp1252.h"

#include <gtest/gtest.h>

using namespace vostel;

TEST(Cp1252, EveryByteRoundTripsThroughUnicode) {
    for (int b = 0; b < 256; ++b) {
        char32_t c = cp1252ToUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(unicodeToCp1252(c), b) << "byte " << b;
    }
}

TEST(Cp1252, TheHighRangeAndItsUndefinedBytes) {
    EXPECT_EQ(cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(cp1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(cp1252ToUnicode(0xE4), U'\u00E4');
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(cp1252ToUnicode(static_cast<unsigned char>(b)), char32_t(b));
    EXPECT_EQ(unicodeToCp1252(U'\u2212'), -1);
    EXPECT_EQ(unicodeToCp1252(U'\u0100'), -1);
}

TEST(Cp1252, Utf8ToCp1252CountsWhatItCannotHold) {
    int lost = -1;
    EXPECT_EQ(utf8ToCp1252("\xC3\xA4\xE2\x82\xAC", &lost), std::string("\xE4\x80"));
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(utf8ToCp1252("a\xE2\x88\x92"
                           "b\xF0\x9F\x98\x80",
                           &lost),
              "a?b?");
    EXPECT_EQ(lost, 2);
    // Malformed UTF-8: a lone continuation byte, a cut sequence, an overlong form.
    EXPECT_EQ(utf8ToCp1252("\x80x\xC3", &lost), "?x?");
    EXPECT_EQ(lost, 2);
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF", &lost), "??");
}

TEST(Cp1252, Cp1252ToUtf8) {
    EXPECT_EQ(cp1252ToUtf8("on"), "on");
    EXPECT_EQ(cp1252ToUtf8(std::string("\xE4\x80\x81", 3)), "\xC3\xA4\xE2\x82\xAC\xC2\x81");
    EXPECT_EQ(encodeUtf8(decodeUtf8("\xF0\x9F\x98\x80")), "\xF0\x9F\x98\x80");
}
