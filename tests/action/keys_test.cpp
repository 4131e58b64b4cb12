#include "action/keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/cp1252.h"
#include "runtime/error.h"
#include "support/errors.h"

namespace vostel {
namespace {

// Events as a short text: <S <C <A press, S> C> A> release, {ENTER} {LEFT}
// {TAB} named keys (others {#n}), characters as themselves.
std::string show(const std::vector<KeyEvent>& events) {
    static const char* mods = "SCA";
    std::string out;
    for (const KeyEvent& e : events) {
        switch (e.kind) {
            case KeyEvent::Kind::Press:
                out += std::string("<") + mods[int(e.modifier)];
                break;
            case KeyEvent::Kind::Release:
                out += std::string(1, mods[int(e.modifier)]) + ">";
                break;
            case KeyEvent::Kind::Char:
                out += encodeUtf8(std::u32string(1, e.ch));
                break;
            case KeyEvent::Kind::Key:
                switch (e.key) {
                    case NamedKey::Enter:
                        out += "{ENTER}";
                        break;
                    case NamedKey::Left:
                        out += "{LEFT}";
                        break;
                    case NamedKey::Tab:
                        out += "{TAB}";
                        break;
                    default:
                        out += "{#" + std::to_string(int(e.key)) + "}";
                }
        }
    }
    return out;
}

std::vector<KeyEvent> parse(const std::string& utf8) { return parseKeys(decodeUtf8(utf8)); }
std::string p(const std::string& utf8) { return show(parse(utf8)); }

TEST(ParseKeys, CharactersTypeThemselvesKeepingCase) {
    EXPECT_EQ(p(""), "");
    EXPECT_EQ(p("Hello World 42"), "Hello World 42");
    EXPECT_EQ(p("[a]b!\"#$&'*,-./:;<=>?@\\_`|"), "[a]b!\"#$&'*,-./:;<=>?@\\_`|");
    EXPECT_EQ(parse("ä€Ÿ"),
              (std::vector{KeyEvent::character(U'ä'), KeyEvent::character(U'€'), KeyEvent::character(U'Ÿ')}));
}

TEST(ParseKeys, ModifiersActOnTheNextKeyOnly) {
    EXPECT_EQ(p("+ec"), "<SeS>c");
    EXPECT_EQ(p("^a^c"), "<CaC><CcC>");
    EXPECT_EQ(p("%F"), "<AFA>");
    // Several modifiers go down in the order Shift, Ctrl, Alt and come up reversed.
    EXPECT_EQ(p("%^+x"), "<S<C<AxA>C>S>");
    EXPECT_EQ(p("^~"), "<C{ENTER}C>");
    EXPECT_EQ(p("+{LEFT}a"), "<S{LEFT}S>a");
}

TEST(ParseKeys, ParenthesesHoldModifiersForAGroup) {
    EXPECT_EQ(p("+(ec)d"), "<SecS>d");
    EXPECT_EQ(p("^+(ab)"), "<S<CabC>S>");
    EXPECT_EQ(p("+(a^(b)c)"), "<Sa<CbC>cS>");
    EXPECT_EQ(p("+(a^b)"), "<Sa<CbC>S>");
    EXPECT_EQ(p("(ab)"), "ab");
    EXPECT_EQ(p("+()"), "<SS>");
}

TEST(ParseKeys, ModifiersWithoutAKeyAreTappedAlone) {
    EXPECT_EQ(p("%"), "<AA>");
    EXPECT_EQ(p("a+^"), "a<S<CC>S>");
    EXPECT_EQ(p("+(a^)"), "<Sa<CC>S>");
}

TEST(ParseKeys, TildeIsEnterAndBracedSpecialsAreLiteral) {
    EXPECT_EQ(p("a~b"), "a{ENTER}b");
    EXPECT_EQ(p("{+}{^}{%}{~}{(}{)}{[}{]}{{}{}}"), "+^%~()[]{}");
    EXPECT_EQ(p("+{+}"), "<S+S>");
    EXPECT_EQ(p("{a}{ }{ä}"), "a ä");
}

TEST(ParseKeys, NamedKeysInAnyCase) {
    const std::vector<std::pair<const char*, NamedKey>> names{
        {"BACKSPACE", NamedKey::Backspace},
        {"BS", NamedKey::Backspace},
        {"BKSP", NamedKey::Backspace},
        {"BREAK", NamedKey::Break},
        {"CAPSLOCK", NamedKey::CapsLock},
        {"CLEAR", NamedKey::Clear},
        {"DELETE", NamedKey::Delete},
        {"DEL", NamedKey::Delete},
        {"DOWN", NamedKey::Down},
        {"END", NamedKey::End},
        {"ENTER", NamedKey::Enter},
        {"ESC", NamedKey::Escape},
        {"ESCAPE", NamedKey::Escape},
        {"HELP", NamedKey::Help},
        {"HOME", NamedKey::Home},
        {"INSERT", NamedKey::Insert},
        {"INS", NamedKey::Insert},
        {"LEFT", NamedKey::Left},
        {"NUMLOCK", NamedKey::NumLock},
        {"PGDN", NamedKey::PageDown},
        {"PGUP", NamedKey::PageUp},
        {"PRTSC", NamedKey::PrintScreen},
        {"RIGHT", NamedKey::Right},
        {"SCROLLLOCK", NamedKey::ScrollLock},
        {"TAB", NamedKey::Tab},
        {"UP", NamedKey::Up},
        {"ADD", NamedKey::Add},
        {"SUBTRACT", NamedKey::Subtract},
        {"MULTIPLY", NamedKey::Multiply},
        {"DIVIDE", NamedKey::Divide},
        {"F1", NamedKey::F1},
        {"F9", NamedKey::F9},
        {"F10", NamedKey::F10},
        {"F16", NamedKey::F16},
        {"VOLUME_UP", NamedKey::VolumeUp},
        {"VOLUME_DOWN", NamedKey::VolumeDown},
        {"VOLUME_MUTE", NamedKey::VolumeMute},
        {"MEDIA_PLAY_PAUSE", NamedKey::MediaPlayPause},
        {"MEDIA_STOP", NamedKey::MediaStop},
        {"MEDIA_NEXT", NamedKey::MediaNext},
        {"MEDIA_PREV", NamedKey::MediaPrev},
        {"BROWSER_BACK", NamedKey::BrowserBack},
        {"BROWSER_FORWARD", NamedKey::BrowserForward},
        {"BROWSER_HOME", NamedKey::BrowserHome},
    };
    for (const auto& [name, key] : names) {
        std::string upper = name, lower, mixed;
        for (std::size_t i = 0; i < upper.size(); ++i) {
            lower += char(std::tolower(upper[i]));
            mixed += i % 2 ? char(std::tolower(upper[i])) : upper[i];
        }
        for (const std::string& n : {upper, lower, mixed})
            EXPECT_EQ(parse("{" + n + "}"), std::vector{KeyEvent::tap(key)}) << n;
    }
    for (int f = 1; f <= 16; ++f) {
        auto key = static_cast<NamedKey>(int(NamedKey::F1) + f - 1);
        EXPECT_EQ(parse("{F" + std::to_string(f) + "}"), std::vector{KeyEvent::tap(key)});
    }
}

TEST(ParseKeys, RepeatCounts) {
    EXPECT_EQ(p("{LEFT 3}"), "{LEFT}{LEFT}{LEFT}");
    EXPECT_EQ(parse("{LEFT 42}").size(), 42u);
    EXPECT_EQ(p("{h 10}"), "hhhhhhhhhh");
    EXPECT_EQ(p("{left 02}x"), "{LEFT}{LEFT}x");
    EXPECT_EQ(p("+{LEFT 2}x"), "<S{LEFT}{LEFT}S>x");  // held around every repetition
    EXPECT_EQ(p("{} 2}{{ 2}{~ 2}{  2}"), "}}{{~~  ");
    EXPECT_EQ(p("a{b 0}c+{d 0}e"), "ace");
    EXPECT_EQ(parse("{a 5000}{b 5000}").size(), 10000u);  // exactly the limit
    EXPECT_EQ(parse("^{volume_up 3}"),
              (std::vector{KeyEvent::press(Modifier::Ctrl), KeyEvent::tap(NamedKey::VolumeUp),
                           KeyEvent::tap(NamedKey::VolumeUp), KeyEvent::tap(NamedKey::VolumeUp),
                           KeyEvent::release(Modifier::Ctrl)}));
}

TEST(ParseKeys, TabAndLineBreaksTypeTheirKeys) { EXPECT_EQ(p("a\tb\r\nc"), "a{TAB}b{ENTER}{ENTER}c"); }

// The description is rejected with error 5 and a text naming the fault.
void expectRejected(const std::string& keys, const std::string& fault) {
    const RuntimeError e = testing::errorOf([&] { parse(keys); });
    EXPECT_EQ(e.number(), 5) << keys;
    EXPECT_EQ(e.text(), "Invalid procedure call or argument: " + fault) << keys;
}

TEST(ParseKeys, RejectsBracesOutOfPlace) {
    expectRejected("a}b", "} outside braces at position 1");
    expectRejected("}", "} outside braces at position 0");
    expectRejected("ab{c", "{ without its closing } at position 2");
    expectRejected("{", "{ without its closing } at position 0");
    expectRejected("x{}", "empty key name {} at position 1");
    expectRejected("{}a", "empty key name {} at position 0");
    expectRejected("{LEFT", "{ without its closing } at position 0");
    expectRejected("{LEFT 3", "{ without its closing } at position 0");
}

TEST(ParseKeys, RejectsUnknownNamesAndBadCounts) {
    expectRejected("ab{FOO}", "unknown key name {FOO}");
    expectRejected("{F17}", "unknown key name {F17}");
    expectRejected("{F0}", "unknown key name {F0}");
    expectRejected("{F01}", "unknown key name {F01}");
    expectRejected("{ENTERX 2}", "unknown key name {ENTERX}");
    expectRejected("{ä€}", "unknown key name {ä€}");
    expectRejected("{VOLUME UP}", "repeat count in {VOLUME UP} is not a number");
    expectRejected("{VOLUMEUP}", "unknown key name {VOLUMEUP}");
    expectRejected("{MEDIA_PLAY}", "unknown key name {MEDIA_PLAY}");
    expectRejected("{LEFT x}", "repeat count in {LEFT x} is not a number");
    expectRejected("{LEFT -1}", "repeat count in {LEFT -1} is not a number");
    expectRejected("{LEFT 1.5}", "repeat count in {LEFT 1.5} is not a number");
    expectRejected("{LEFT 2 }", "repeat count in {LEFT 2 } is not a number");
    expectRejected("{LEFT }", "repeat count missing in {LEFT }");
    // A long faulty part is named by its start, so the message stays readable.
    expectRejected("{" + std::string(5000, 'x') + "}", "unknown key name {" + std::string(40, 'x') + "...}");
    expectRejected("{LEFT " + std::string(5000, '1') + "x}",
                   "repeat count in {LEFT " + std::string(34, '1') + "... is not a number");
}

TEST(ParseKeys, RejectsRepeatedModifiersAndUnmatchedParentheses) {
    expectRejected("++a", "modifier + given twice before one key at position 1");
    expectRejected("^%^a", "modifier ^ given twice before one key at position 2");
    expectRejected("%(a%b)", "modifier % given twice before one key at position 3");
    expectRejected("(ab", "( without its closing ) at position 0");
    expectRejected("+(a(b)", "( without its closing ) at position 1");
    expectRejected("ab)", ") without its opening ( at position 2");
    expectRejected("+(a))", ") without its opening ( at position 4");
}

TEST(ParseKeys, RejectsControlCharactersAndTooManyKeys) {
    expectRejected("a\x01", "the character U+0001 cannot be typed at position 1");
    expectRejected("{\x7F}", "the character U+007F cannot be typed at position 1");
    expectRejected(encodeUtf8(U"a\u0081"), "the character U+0081 cannot be typed at position 1");
    expectRejected("{a 10001}", "more than 10000 keystrokes");
    expectRejected("{a 5000}{b 5000}c", "more than 10000 keystrokes");
    expectRejected("{a 99999999999999999999999999}", "more than 10000 keystrokes");
}

}  // namespace
}  // namespace vostel
