#include "x11/keysyms.h"

#include <X11/Xlib.h>
#define XK_PUBLISHING  // the typographic keysyms of the Windows-1252 characters
#define XK_TECHNICAL
#include <X11/keysym.h>

#include "action/keysyms.h"
#include "runtime/cp1252.h"

namespace vostel::x11 {

KeySym namedKeysym(NamedKey key) { return keysymOf(key); }

KeySym classicKeysym(char32_t c) {
    switch (c) {
        case 0x20AC:
            return XK_EuroSign;
        case 0x201A:
            return XK_singlelowquotemark;
        case 0x0192:
            return XK_function;
        case 0x201E:
            return XK_doublelowquotemark;
        case 0x2026:
            return XK_ellipsis;
        case 0x2020:
            return XK_dagger;
        case 0x2021:
            return XK_doubledagger;
        case 0x2030:
            return XK_permille;
        case 0x0160:
            return XK_Scaron;
        case 0x0152:
            return XK_OE;
        case 0x017D:
            return XK_Zcaron;
        case 0x2018:
            return XK_leftsinglequotemark;
        case 0x2019:
            return XK_rightsinglequotemark;
        case 0x201C:
            return XK_leftdoublequotemark;
        case 0x201D:
            return XK_rightdoublequotemark;
        case 0x2022:
            return XK_enfilledcircbullet;
        case 0x2013:
            return XK_endash;
        case 0x2014:
            return XK_emdash;
        case 0x2122:
            return XK_trademark;
        case 0x0161:
            return XK_scaron;
        case 0x0153:
            return XK_oe;
        case 0x017E:
            return XK_zcaron;
        case 0x0178:
            return XK_Ydiaeresis;
        default:
            return NoSymbol;
    }
}

Wanted wantedFor(const KeyEvent& e) {
    if (e.kind == KeyEvent::Kind::Key) return {namedKeysym(e.key), namedKeysym(e.key)};
    KeySym unicode = 0x01000000 | static_cast<KeySym>(e.ch);
    if (e.ch <= 0xFF) return {static_cast<KeySym>(e.ch), unicode};  // Latin-1 keysyms are the codes
    KeySym classic = classicKeysym(e.ch);
    return {classic != NoSymbol ? classic : unicode, unicode};
}

bool typesKey(const KeyEvent& e) { return e.kind == KeyEvent::Kind::Key || e.kind == KeyEvent::Kind::Char; }

std::string describe(const Wanted& w) {
    if ((w.same & 0xFF000000) == 0x01000000) {  // a character
        std::string quoted(1, '\'');
        quoted += encodeUtf8(std::u32string(1, static_cast<char32_t>(w.same & 0xFFFFFF)));
        quoted += '\'';
        return quoted;
    }
    const char* name = XKeysymToString(w.sym);
    return std::string("the key ") + (name ? name : "?");
}

}  // namespace vostel::x11
