#pragma once
// The X keysyms of key descriptions: which keysym types a named key or a
// character. Pure tables; no X server is needed.
#include <X11/X.h>

#include <string>

#include "action/keys.h"

namespace vostel::x11 {

// The keysym to type for an event, and a second keysym meaning the same
// (the Unicode keysym of a character that also has a classic one).
struct Wanted {
    KeySym sym;
    KeySym same;
    bool operator==(const Wanted&) const = default;
};

KeySym namedKeysym(NamedKey key);
// The classic keysym of a Windows-1252 character outside Latin-1; NoSymbol for others.
KeySym classicKeysym(char32_t c);
// What a Key or Char event types.
Wanted wantedFor(const KeyEvent& e);
// Whether the event types a key (rather than pressing or releasing a modifier).
bool typesKey(const KeyEvent& e);
// For messages: 'c' for a character, "the key NAME" for a named key.
std::string describe(const Wanted& w);

}  // namespace vostel::x11
