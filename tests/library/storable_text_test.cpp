// What the naming dialog's text box shows while the user types.
#include "library/storable_text.h"

#include <gtest/gtest.h>

namespace vostel {
namespace {

TEST(StorableText, CharactersWindows1252LacksBecomeQuestionMarks) {
    // Latin-1, the code page's 0x80..0x9F characters (€, Š) and its five
    // undefined bytes (U+0081) stay; Ω, the arrow and an emoji (one '?' for
    // its surrogate pair) do not.
    const std::u16string typed = u"a\u00E4\u20AC\u0160\u0081 \u03A9\u2192\U0001F600b";
    const StorableText shown = storableText(typed, typed.size());
    EXPECT_EQ(shown.text, u"a\u00E4\u20AC\u0160\u0081 ???b");
    EXPECT_EQ(shown.cursor, 10u);
    EXPECT_EQ(storableText(u"plain ID", 3).text, u"plain ID");
    EXPECT_EQ(storableText(u"", 0).text, u"");
}

TEST(StorableText, CursorStaysBehindTheSameCharacter) {
    const std::u16string typed = u"\U0001F600x\U0001F600y";  // units: pair, x, pair, y
    EXPECT_EQ(storableText(typed, 0).cursor, 0u);
    EXPECT_EQ(storableText(typed, 2).cursor, 1u);  // behind the first '?'
    EXPECT_EQ(storableText(typed, 3).cursor, 2u);  // behind x
    EXPECT_EQ(storableText(typed, 4).cursor, 3u);  // inside the second pair: behind its '?'
    EXPECT_EQ(storableText(typed, 6).cursor, 4u);
    EXPECT_EQ(storableText(typed, 99).cursor, 4u);  // beyond the end: at the end
}

TEST(StorableText, LoneSurrogatesBecomeQuestionMarks) {
    const std::u16string typed{u'a', char16_t(0xD800), u'b', char16_t(0xDC00), char16_t(0xDBFF)};
    EXPECT_EQ(storableText(typed, 5).text, u"a?b??");
}

}  // namespace
}  // namespace vostel
