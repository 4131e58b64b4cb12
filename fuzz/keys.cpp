// Key descriptions of any bytes: the parser either rejects them with error 5
// or returns events in which every modifier that goes down comes up again,
// in the reverse order, and no more keys than the limit are typed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "action/keys.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<vostel::KeyEvent> events;
    try {
        events = vostel::parseKeys(vostel::cp1252ToU32(bytes));
    } catch (const vostel::RuntimeError& e) {
        if (e.number() != 5) std::abort();
        return 0;
    }
    std::vector<vostel::Modifier> down;
    long taps = 0;
    for (const vostel::KeyEvent& e : events) {
        switch (e.kind) {
            case vostel::KeyEvent::Kind::Press:
                for (vostel::Modifier m : down)
                    if (m == e.modifier) std::abort();
                down.push_back(e.modifier);
                break;
            case vostel::KeyEvent::Kind::Release:
                if (down.empty() || down.back() != e.modifier) std::abort();
                down.pop_back();
                break;
            case vostel::KeyEvent::Kind::Char:
                if (e.ch < 0x20 || (e.ch >= 0x7F && e.ch <= 0x9F)) std::abort();
                ++taps;
                break;
            case vostel::KeyEvent::Kind::Key:
                ++taps;
                break;
        }
    }
    if (!down.empty() || taps > vostel::kMaxKeystrokes) std::abort();
    return 0;
}
