#include "library/storable_text.h"

#include "runtime/cp1252.h"

namespace vostel {

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

StorableText storableText(std::u16string_view typed, std::size_t cursor) {
    if (cursor > typed.size()) cursor = typed.size();
    StorableText out{{}, 0};
    out.text.reserve(typed.size());
    for (std::size_t i = 0; i < typed.size();) {
        const std::size_t start = i;
        const char16_t c = typed[i++];
        if (isHighSurrogate(c) && i < typed.size() && isLowSurrogate(typed[i])) {
            out.text += u'?';  // outside the Basic Multilingual Plane: never in Windows-1252
            ++i;
        } else {
            // Every character Windows-1252 holds is one UTF-16 unit; a lone surrogate is none.
            out.text += unicodeToCp1252(c) < 0 ? u'?' : c;
        }
        // A cursor inside a surrogate pair goes behind its '?'.
        if (cursor > start && cursor <= i) out.cursor = out.text.size();
    }
    return out;
}

}  // namespace vostel
