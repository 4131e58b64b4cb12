#include "action/keys.h"

#include <array>
#include <cstdio>
#include <string>

#include "runtime/cp1252.h"
#include "runtime/error.h"

namespace vostel {
namespace {

struct Name {
    std::string_view name;
    NamedKey key;
};

constexpr std::array kNames{
    Name{"BACKSPACE", NamedKey::Backspace},
    Name{"BS", NamedKey::Backspace},
    Name{"BKSP", NamedKey::Backspace},
    Name{"BREAK", NamedKey::Break},
    Name{"CAPSLOCK", NamedKey::CapsLock},
    Name{"CLEAR", NamedKey::Clear},
    Name{"DELETE", NamedKey::Delete},
    Name{"DEL", NamedKey::Delete},
    Name{"DOWN", NamedKey::Down},
    Name{"END", NamedKey::End},
    Name{"ENTER", NamedKey::Enter},
    Name{"ESC", NamedKey::Escape},
    Name{"ESCAPE", NamedKey::Escape},
    Name{"HELP", NamedKey::Help},
    Name{"HOME", NamedKey::Home},
    Name{"INSERT", NamedKey::Insert},
    Name{"INS", NamedKey::Insert},
    Name{"LEFT", NamedKey::Left},
    Name{"NUMLOCK", NamedKey::NumLock},
    Name{"PGDN", NamedKey::PageDown},
    Name{"PGUP", NamedKey::PageUp},
    Name{"PRTSC", NamedKey::PrintScreen},
    Name{"RIGHT", NamedKey::Right},
    Name{"SCROLLLOCK", NamedKey::ScrollLock},
    Name{"TAB", NamedKey::Tab},
    Name{"UP", NamedKey::Up},
    Name{"ADD", NamedKey::Add},
    Name{"SUBTRACT", NamedKey::Subtract},
    Name{"MULTIPLY", NamedKey::Multiply},
    Name{"DIVIDE", NamedKey::Divide},
    Name{"VOLUME_UP", NamedKey::VolumeUp},
    Name{"VOLUME_DOWN", NamedKey::VolumeDown},
    Name{"VOLUME_MUTE", NamedKey::VolumeMute},
    Name{"MEDIA_PLAY_PAUSE", NamedKey::MediaPlayPause},
    Name{"MEDIA_STOP", NamedKey::MediaStop},
    Name{"MEDIA_NEXT", NamedKey::MediaNext},
    Name{"MEDIA_PREV", NamedKey::MediaPrev},
    Name{"BROWSER_BACK", NamedKey::BrowserBack},
    Name{"BROWSER_FORWARD", NamedKey::BrowserForward},
    Name{"BROWSER_HOME", NamedKey::BrowserHome},
};

constexpr std::array<Modifier, 3> kModifiers{Modifier::Shift, Modifier::Ctrl, Modifier::Alt};

unsigned bit(Modifier m) { return 1u << static_cast<unsigned>(m); }

[[noreturn]] void reject(const std::string& what) {
    throw RuntimeError(kErrInvalidCall, std::string(standardErrorText(kErrInvalidCall)) + ": " + what);
}

std::string utf8(std::u32string_view text) { return encodeUtf8(text); }

// A faulty part of the description for a message: a long one by its start only.
std::string shown(std::u32string_view part) {
    constexpr std::size_t kShown = 40;
    if (part.size() <= kShown) return utf8(part);
    return utf8(part.substr(0, kShown)) + "...";
}

// Positions count from 0, as records and elements do everywhere in Vostel.
std::string at(std::size_t index) { return " at position " + std::to_string(index); }

// The named key of a multi-letter name, compared without regard to case.
bool lookUpName(std::u32string_view name, NamedKey& key) {
    std::string upper;
    for (char32_t c : name) {
        if (c > 0x7F) return false;
        char a = static_cast<char>(c);
        upper += (a >= 'a' && a <= 'z') ? static_cast<char>(a - 'a' + 'A') : a;
    }
    for (const Name& n : kNames) {
        if (n.name == upper) {
            key = n.key;
            return true;
        }
    }
    if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == 'F') {
        int number = 0;
        for (std::size_t i = 1; i < upper.size(); ++i) {
            if (upper[i] < '0' || upper[i] > '9') return false;
            number = number * 10 + (upper[i] - '0');
        }
        if (number >= 1 && number <= 16 && upper[1] != '0') {
            key = static_cast<NamedKey>(static_cast<int>(NamedKey::F1) + number - 1);
            return true;
        }
    }
    return false;
}

class Parser {
public:
    explicit Parser(std::u32string_view text) : text_(text) {}

    std::vector<KeyEvent> run() {
        std::size_t i = 0;
        while (i < text_.size()) {
            char32_t c = text_[i];
            switch (c) {
                case U'+':
                    modifier(Modifier::Shift, i);
                    ++i;
                    break;
                case U'^':
                    modifier(Modifier::Ctrl, i);
                    ++i;
                    break;
                case U'%':
                    modifier(Modifier::Alt, i);
                    ++i;
                    break;
                case U'(':
                    pressPending();
                    groups_.push_back({pending_, i});
                    held_ |= pending_;
                    pending_ = 0;
                    ++i;
                    break;
                case U')':
                    if (groups_.empty()) reject(") without its opening (" + at(i));
                    tapPending();
                    releaseMods(groups_.back().mods);
                    held_ &= ~groups_.back().mods;
                    groups_.pop_back();
                    ++i;
                    break;
                case U'~':
                    stroke(KeyEvent::tap(NamedKey::Enter), 1);
                    ++i;
                    break;
                case U'{':
                    i = braced(i);
                    break;
                case U'}':
                    reject("} outside braces" + at(i));
                default:
                    stroke(character(c, i), 1);
                    ++i;
                    break;
            }
        }
        if (!groups_.empty()) reject("( without its closing )" + at(groups_.back().start));
        tapPending();
        return std::move(out_);
    }

private:
    struct Group {
        unsigned mods;
        std::size_t start;
    };

    void modifier(Modifier m, std::size_t i) {
        if ((pending_ | held_) & bit(m)) {
            reject("modifier " + utf8(text_.substr(i, 1)) + " given twice before one key" + at(i));
        }
        pending_ |= bit(m);
    }

    void pressPending() {
        for (Modifier m : kModifiers)
            if (pending_ & bit(m)) out_.push_back(KeyEvent::press(m));
    }

    void releaseMods(unsigned mods) {
        for (auto it = kModifiers.rbegin(); it != kModifiers.rend(); ++it)
            if (mods & bit(*it)) out_.push_back(KeyEvent::release(*it));
    }

    void count(long n) {
        strokes_ += n;
        if (strokes_ > kMaxKeystrokes) reject("more than " + std::to_string(kMaxKeystrokes) + " keystrokes");
    }

    // Modifiers with no key left to act on (at a closing parenthesis or the
    // end) are pressed and released on their own, like a lone Alt tap.
    void tapPending() {
        if (!pending_) return;
        count(1);
        pressPending();
        releaseMods(pending_);
        pending_ = 0;
    }

    // A key with the pending modifiers held around all its repetitions.
    void stroke(KeyEvent event, long times) {
        count(times);
        if (times > 0) {
            pressPending();
            for (long n = 0; n < times; ++n) out_.push_back(event);
            releaseMods(pending_);
        }
        pending_ = 0;
    }

    // Tab and line breaks type their keys; other control characters cannot be typed.
    KeyEvent character(char32_t c, std::size_t i) {
        if (c == U'\t') return KeyEvent::tap(NamedKey::Tab);
        if (c == U'\r' || c == U'\n') return KeyEvent::tap(NamedKey::Enter);
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
            reject(std::string("the character ") + code + " cannot be typed" + at(i));
        }
        return KeyEvent::character(c);
    }

    // `{` at `open`: a literal character, a named key, either with a repeat
    // count. Returns the position after the closing brace.
    std::size_t braced(std::size_t open) {
        std::size_t nameStart = open + 1;
        if (nameStart >= text_.size()) reject("{ without its closing }" + at(open));
        // "{}" alone names no key; "{}}" and "{} 3}" are the brace itself.
        if (text_[nameStart] == U'}' &&
            (nameStart + 1 == text_.size() || (text_[nameStart + 1] != U'}' && text_[nameStart + 1] != U' ')))
            reject("empty key name {}" + at(open));
        // The first character always belongs to the name, so {}} and {{} work.
        std::size_t j = nameStart + 1;
        while (j < text_.size() && text_[j] != U'}' && text_[j] != U' ') ++j;
        std::size_t close = text_.find(U'}', j);
        if (close == std::u32string_view::npos) reject("{ without its closing }" + at(open));
        std::u32string_view name = text_.substr(nameStart, j - nameStart);
        std::u32string_view whole = text_.substr(open, close - open + 1);

        long times = 1;
        if (text_[j] == U' ') {
            std::u32string_view digits = text_.substr(j + 1, close - j - 1);
            if (digits.empty()) reject("repeat count missing in " + shown(whole));
            times = 0;
            for (char32_t d : digits) {
                if (d < U'0' || d > U'9') reject("repeat count in " + shown(whole) + " is not a number");
                if (times <= kMaxKeystrokes) times = times * 10 + (d - U'0');
            }
        }
        KeyEvent event;
        NamedKey key{};
        if (name.size() == 1) {
            event = character(name[0], nameStart);
        } else if (lookUpName(name, key)) {
            event = KeyEvent::tap(key);
        } else {
            reject("unknown key name {" + shown(name) + "}");
        }
        stroke(event, times);
        return close + 1;
    }

    std::u32string_view text_;
    std::vector<KeyEvent> out_;
    std::vector<Group> groups_;
    unsigned pending_ = 0;  // modifiers for the next key
    unsigned held_ = 0;     // modifiers held by open groups
    long strokes_ = 0;
};

}  // namespace

std::vector<KeyEvent> parseKeys(std::u32string_view keys) { return Parser(keys).run(); }

}  // namespace vostel
