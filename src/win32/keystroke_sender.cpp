#include "win32/keystroke_sender.h"

#include <windows.h>

#include <array>

#include "runtime/cp1252.h"
#include "runtime/error.h"
#include "runtime/system_error.h"

namespace vostel::win32 {

namespace {

struct VirtualKey {
    WORD code;
    bool extended;  // the keys of the separate block, which share scan codes with the number pad
};

VirtualKey virtualKey(NamedKey key) {
    switch (key) {
        case NamedKey::Backspace:
            return {VK_BACK, false};
        case NamedKey::Break:
            return {VK_CANCEL, true};
        case NamedKey::CapsLock:
            return {VK_CAPITAL, false};
        case NamedKey::Clear:
            return {VK_CLEAR, false};
        case NamedKey::Delete:
            return {VK_DELETE, true};
        case NamedKey::Down:
            return {VK_DOWN, true};
        case NamedKey::End:
            return {VK_END, true};
        case NamedKey::Enter:
            return {VK_RETURN, false};
        case NamedKey::Escape:
            return {VK_ESCAPE, false};
        case NamedKey::Help:
            return {VK_HELP, false};
        case NamedKey::Home:
            return {VK_HOME, true};
        case NamedKey::Insert:
            return {VK_INSERT, true};
        case NamedKey::Left:
            return {VK_LEFT, true};
        case NamedKey::NumLock:
            return {VK_NUMLOCK, true};
        case NamedKey::PageDown:
            return {VK_NEXT, true};
        case NamedKey::PageUp:
            return {VK_PRIOR, true};
        case NamedKey::PrintScreen:
            return {VK_SNAPSHOT, true};
        case NamedKey::Right:
            return {VK_RIGHT, true};
        case NamedKey::ScrollLock:
            return {VK_SCROLL, false};
        case NamedKey::Tab:
            return {VK_TAB, false};
        case NamedKey::Up:
            return {VK_UP, true};
        case NamedKey::Add:
            return {VK_ADD, false};
        case NamedKey::Subtract:
            return {VK_SUBTRACT, false};
        case NamedKey::Multiply:
            return {VK_MULTIPLY, false};
        case NamedKey::Divide:
            return {VK_DIVIDE, true};
        default:
            return {static_cast<WORD>(VK_F1 + (static_cast<int>(key) - static_cast<int>(NamedKey::F1))),
                    false};
    }
}

constexpr std::array<WORD, 3> kModifierKeys{VK_SHIFT, VK_CONTROL, VK_MENU};  // + ^ %

// The modifier keys the user may be holding, each side on its own.
constexpr std::array<VirtualKey, 8> kHeldKeys{{{VK_LSHIFT, false},
                                               {VK_RSHIFT, false},
                                               {VK_LCONTROL, false},
                                               {VK_RCONTROL, true},
                                               {VK_LMENU, false},
                                               {VK_RMENU, true},
                                               {VK_LWIN, true},
                                               {VK_RWIN, true}}};

class Inputs {
public:
    void key(VirtualKey k, bool down) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = k.code;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(k.code, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (k.extended ? KEYEVENTF_EXTENDEDKEY : 0);
        list_.push_back(in);
    }
    void tap(VirtualKey k) {
        key(k, true);
        key(k, false);
    }
    // One UTF-16 unit as Unicode input, pressed and released.
    void unit(wchar_t u) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wScan = u;
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        list_.push_back(in);
        in.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        list_.push_back(in);
    }
    void character(char32_t c) {
        if (c > 0xFFFF) {
            c -= 0x10000;
            unit(static_cast<wchar_t>(0xD800 + (c >> 10)));
            unit(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
        } else {
            unit(static_cast<wchar_t>(c));
        }
    }
    std::vector<INPUT>& list() { return list_; }

private:
    std::vector<INPUT> list_;
};

// A character typed with modifiers held: its key on the current layout, with
// the Shift, Ctrl and Alt that layout needs for it beyond those already held.
bool typeAsKey(Inputs& in, char32_t c, const std::array<bool, 3>& held) {
    if (c > 0xFFFF) return false;
    const SHORT scan = VkKeyScanW(static_cast<wchar_t>(c));
    if (scan == -1) return false;
    const BYTE shifts = HIBYTE(scan);
    std::array<bool, 3> extra{};
    for (int m = 0; m < 3; ++m) extra[m] = (shifts & (1 << m)) && !held[m];
    for (int m = 0; m < 3; ++m)
        if (extra[m]) in.key({kModifierKeys[m], false}, true);
    in.tap({LOBYTE(scan), false});
    for (int m = 2; m >= 0; --m)
        if (extra[m]) in.key({kModifierKeys[m], false}, false);
    return true;
}

}  // namespace

void KeystrokeSender::sendKeys(std::string_view keys, bool /*wait*/) {
    const std::vector<KeyEvent> events = parseKeys(cp1252ToU32(keys));
    if (events.empty()) return;

    Inputs in;
    std::vector<VirtualKey> userHeld;
    for (const VirtualKey& k : kHeldKeys) {
        if (GetAsyncKeyState(k.code) & 0x8000) {
            userHeld.push_back(k);
            in.key(k, false);
        }
    }
    std::array<bool, 3> held{};
    for (const KeyEvent& e : events) {
        const int m = static_cast<int>(e.modifier);
        switch (e.kind) {
            case KeyEvent::Kind::Press:
                in.key({kModifierKeys[m], false}, true);
                held[m] = true;
                break;
            case KeyEvent::Kind::Release:
                in.key({kModifierKeys[m], false}, false);
                held[m] = false;
                break;
            case KeyEvent::Kind::Key:
                in.tap(virtualKey(e.key));
                break;
            case KeyEvent::Kind::Char:
                if (!(held[0] || held[1] || held[2]) || !typeAsKey(in, e.ch, held)) in.character(e.ch);
                break;
        }
    }
    for (const VirtualKey& k : userHeld) in.key(k, true);

    std::vector<INPUT>& list = in.list();
    const UINT sent = SendInput(static_cast<UINT>(list.size()), list.data(), sizeof(INPUT));
    if (sent != list.size())
        throw RuntimeError(kErrDeviceIO,
                           std::string(standardErrorText(kErrDeviceIO)) +
                               ": the system refused the keystrokes (" + systemReason(GetLastError()) +
                               "); another program's window with higher rights may have the focus");
}

}  // namespace vostel::win32
