#pragma once
// The classic SendKeys key-description syntax, parsed into key events.
//
//   + ^ %        Shift, Ctrl, Alt for the next key, or for a group in ( )
//   ~            Enter
//   {+} {~} ...  a special character typed literally ({{} and {}} for braces)
//   {NAME}       a named key (case-insensitive): {ENTER} {LEFT} {F5} {ADD} ...,
//                and the media row: {VOLUME_UP} {MEDIA_PLAY_PAUSE} {BROWSER_BACK} ...
//   {key n}      the key n times: {LEFT 42}, {h 10}
//   anything else types itself; letters keep their case.
#include <cstdint>
#include <string_view>
#include <vector>

namespace vostel {

enum class Modifier : std::uint8_t { Shift, Ctrl, Alt };

enum class NamedKey : std::uint8_t {
    Backspace,
    Break,
    CapsLock,
    Clear,
    Delete,
    Down,
    End,
    Enter,
    Escape,
    Help,
    Home,
    Insert,
    Left,
    NumLock,
    PageDown,
    PageUp,
    PrintScreen,
    Right,
    ScrollLock,
    Tab,
    Up,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    F13,
    F14,
    F15,
    F16,
    Add,
    Subtract,
    Multiply,
    Divide,
    // The keys of a keyboard's media row, which remote controls mostly stand in for.
    VolumeUp,
    VolumeDown,
    VolumeMute,
    MediaPlayPause,
    MediaStop,
    MediaNext,
    MediaPrev,
    BrowserBack,
    BrowserForward,
    BrowserHome,
};

// One step of typing: a modifier goes down or up, or a key is tapped
// (pressed and released): a named key or a character to type as itself.
struct KeyEvent {
    enum class Kind : std::uint8_t { Press, Release, Key, Char };
    Kind kind = Kind::Char;
    Modifier modifier = Modifier::Shift;  // Press, Release
    NamedKey key = NamedKey::Enter;       // Key
    char32_t ch = 0;                      // Char: a printable character

    static KeyEvent press(Modifier m) { return {Kind::Press, m, {}, 0}; }
    static KeyEvent release(Modifier m) { return {Kind::Release, m, {}, 0}; }
    static KeyEvent tap(NamedKey k) { return {Kind::Key, {}, k, 0}; }
    static KeyEvent character(char32_t c) { return {Kind::Char, {}, {}, c}; }
    bool operator==(const KeyEvent&) const = default;
};

// The most keys (taps, counting every repetition) one description may type,
// so that a mistyped repeat count cannot keep the program busy for long.
inline constexpr long kMaxKeystrokes = 10000;

// Parses a whole description. Every modifier that goes down also comes up
// again within the result. A description it rejects raises RuntimeError 5
// with a text naming the fault; nothing of it is returned then.
std::vector<KeyEvent> parseKeys(std::u32string_view keys);

}  // namespace vostel
