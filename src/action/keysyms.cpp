#include "action/keysyms.h"

namespace vostel {
namespace {

// Values from the keysym numbering (keysymdef.h, XF86keysym.h), by their names there.
constexpr std::uint32_t kBackSpace = 0xFF08, kTab = 0xFF09, kClear = 0xFF0B, kReturn = 0xFF0D;
constexpr std::uint32_t kScrollLock = 0xFF14, kEscape = 0xFF1B, kHome = 0xFF50, kLeft = 0xFF51;
constexpr std::uint32_t kUp = 0xFF52, kRight = 0xFF53, kDown = 0xFF54, kPrior = 0xFF55;
constexpr std::uint32_t kNext = 0xFF56, kEnd = 0xFF57, kPrint = 0xFF61, kInsert = 0xFF63;
constexpr std::uint32_t kHelp = 0xFF6A, kBreak = 0xFF6B, kNumLock = 0xFF7F, kKpMultiply = 0xFFAA;
constexpr std::uint32_t kKpAdd = 0xFFAB, kKpSubtract = 0xFFAD, kKpDivide = 0xFFAF, kF1 = 0xFFBE;
constexpr std::uint32_t kCapsLock = 0xFFE5, kDelete = 0xFFFF;
constexpr std::uint32_t kXF86AudioLowerVolume = 0x1008FF11, kXF86AudioMute = 0x1008FF12;
constexpr std::uint32_t kXF86AudioRaiseVolume = 0x1008FF13, kXF86AudioPlay = 0x1008FF14;
constexpr std::uint32_t kXF86AudioStop = 0x1008FF15, kXF86AudioPrev = 0x1008FF16;
constexpr std::uint32_t kXF86AudioNext = 0x1008FF17, kXF86HomePage = 0x1008FF18;
constexpr std::uint32_t kXF86Back = 0x1008FF26, kXF86Forward = 0x1008FF27;

}  // namespace

std::uint32_t keysymOf(NamedKey key) {
    switch (key) {
        case NamedKey::Backspace:
            return kBackSpace;
        case NamedKey::Break:
            return kBreak;
        case NamedKey::CapsLock:
            return kCapsLock;
        case NamedKey::Clear:
            return kClear;
        case NamedKey::Delete:
            return kDelete;
        case NamedKey::Down:
            return kDown;
        case NamedKey::End:
            return kEnd;
        case NamedKey::Enter:
            return kReturn;
        case NamedKey::Escape:
            return kEscape;
        case NamedKey::Help:
            return kHelp;
        case NamedKey::Home:
            return kHome;
        case NamedKey::Insert:
            return kInsert;
        case NamedKey::Left:
            return kLeft;
        case NamedKey::NumLock:
            return kNumLock;
        case NamedKey::PageDown:
            return kNext;
        case NamedKey::PageUp:
            return kPrior;
        case NamedKey::PrintScreen:
            return kPrint;
        case NamedKey::Right:
            return kRight;
        case NamedKey::ScrollLock:
            return kScrollLock;
        case NamedKey::Tab:
            return kTab;
        case NamedKey::Up:
            return kUp;
        case NamedKey::Add:
            return kKpAdd;
        case NamedKey::Subtract:
            return kKpSubtract;
        case NamedKey::Multiply:
            return kKpMultiply;
        case NamedKey::Divide:
            return kKpDivide;
        // Play/pause is one key on keyboards; its keysym is XF86AudioPlay.
        case NamedKey::VolumeUp:
            return kXF86AudioRaiseVolume;
        case NamedKey::VolumeDown:
            return kXF86AudioLowerVolume;
        case NamedKey::VolumeMute:
            return kXF86AudioMute;
        case NamedKey::MediaPlayPause:
            return kXF86AudioPlay;
        case NamedKey::MediaStop:
            return kXF86AudioStop;
        case NamedKey::MediaNext:
            return kXF86AudioNext;
        case NamedKey::MediaPrev:
            return kXF86AudioPrev;
        case NamedKey::BrowserBack:
            return kXF86Back;
        case NamedKey::BrowserForward:
            return kXF86Forward;
        case NamedKey::BrowserHome:
            return kXF86HomePage;
        default:
            return kF1 + (static_cast<std::uint32_t>(key) - static_cast<std::uint32_t>(NamedKey::F1));
    }
}

}  // namespace vostel
