#include "runtime/cp1252.h"

namespace vostel {
namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

char32_t cp1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
    return byte;
}

int unicodeToCp1252(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<int>(ch);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == ch) return 0x80 + i;
    return -1;
}

std::u32string cp1252ToU32(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    for (char b : bytes) out += cp1252ToUnicode(static_cast<unsigned char>(b));
    return out;
}

std::string cp1252ToUtf8(std::string_view bytes) { return encodeUtf8(cp1252ToU32(bytes)); }

std::string u32ToCp1252(std::u32string_view text, int* unmappable) {
    std::string out;
    out.reserve(text.size());
    int lost = 0;
    for (char32_t c : text) {
        int b = unicodeToCp1252(c);
        if (b < 0) {
            ++lost;
            b = '?';
        }
        out += static_cast<char>(b);
    }
    if (unmappable) *unmappable = lost;
    return out;
}

std::string utf8ToCp1252(std::string_view utf8, int* unmappable) {
    int malformed = 0;
    std::u32string text = decodeUtf8(utf8, &malformed);
    int lost = 0;
    std::string out = u32ToCp1252(text, &lost);  // U+FFFD has no byte: counted there
    if (unmappable) *unmappable = lost;
    return out;
}

std::u32string decodeUtf8(std::string_view s, int* malformed) {
    std::u32string out;
    out.reserve(s.size());
    int bad = 0;
    size_t i = 0;
    while (i < s.size()) {
        auto b0 = static_cast<unsigned char>(s[i]);
        int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
        char32_t c = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
        bool ok = len > 0 && i + len <= s.size();
        for (int k = 1; ok && k < len; ++k) {
            auto bk = static_cast<unsigned char>(s[i + k]);
            if ((bk & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (bk & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are malformed.
        if (ok && ((len == 2 && c < 0x80) || (len == 3 && c < 0x800) || (len == 4 && c < 0x10000) ||
                   c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
            ok = false;
        if (ok) {
            out += c;
            i += len;
        } else {
            out += U'\uFFFD';
            ++bad;
            ++i;
        }
    }
    if (malformed) *malformed = bad;
    return out;
}

std::string encodeUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) appendUtf8(out, c);
    return out;
}

}  // namespace vostel
