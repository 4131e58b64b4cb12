#include "runtime/val.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "runtime/error.h"

namespace vostel {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// &H / &O numbers. `s` starts after the '&'. Values up to 0xFF are taken as
// they are, larger ones as a signed 16-bit and then a signed 32-bit pattern;
// the suffix '%' asks for 16 bits, '&' for 32 bits.
double radixNumber(const std::string& s, std::size_t p) {
    if (p >= s.size()) return 0;
    int base = 0;
    if (s[p] == 'H' || s[p] == 'h') base = 16;
    if (s[p] == 'O' || s[p] == 'o') base = 8;
    if (base == 0) return 0;
    ++p;
    uint64_t v = 0;
    for (; p < s.size(); ++p) {
        int d = hexDigit(s[p]);
        if (d < 0 || d >= base) break;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFu) throw RuntimeError(kErrOverflow);
    }
    const char suffix = p < s.size() ? s[p] : '\0';
    auto as16 = [](uint64_t x) {
        return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(x)));
    };
    auto as32 = [](uint64_t x) {
        return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(x)));
    };
    if (suffix == '%') {
        if (v > 0xFFFF) throw RuntimeError(kErrOverflow);
        return as16(v);
    }
    if (suffix == '&') return as32(v);
    if (v <= 0xFF) return static_cast<double>(v);
    if (v <= 0xFFFF) return as16(v);
    return as32(v);
}

}  // namespace

double Val(std::string_view text) {
    // Blanks count nowhere, so read a copy without them.
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!isBlank(c)) s += c;

    std::size_t p = 0;
    if (p < s.size() && s[p] == '&') return radixNumber(s, p + 1);

    std::string number;  // what std::from_chars reads: [-]digits[.digits][e[-]digits]
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
        if (s[p] == '-') number += '-';
        ++p;
    }
    bool dot = false, anyDigit = false, exponent = false;
    int order = 0;  // decimal order of the leading digit, for telling overflow from underflow
    bool significant = false;
    for (; p < s.size(); ++p) {
        const char c = s[p];
        if (isDigit(c)) {
            anyDigit = true;
            if (c != '0') significant = true;
            if (!dot && significant) ++order;
            if (dot && !significant) --order;
            number += c;
        } else if (c == '.' && !dot) {
            dot = true;
            number += c;
        } else {
            break;
        }
    }
    if (!anyDigit) return 0;

    long exp = 0;
    if (p < s.size() && (s[p] == 'E' || s[p] == 'e' || s[p] == 'D' || s[p] == 'd')) {
        exponent = true;
        ++p;
        bool negative = false;
        if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
        for (; p < s.size() && isDigit(s[p]); ++p)
            if (exp < 100000) exp = exp * 10 + (s[p] - '0');
        if (negative) exp = -exp;
        number += 'e';
        number += std::to_string(exp);
    }

    double value = 0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        if (significant && order + exp > 0) throw RuntimeError(kErrOverflow);
        value = 0;
    }
    if (value == 0) value = 0;  // never -0

    const char suffix = p < s.size() ? s[p] : '\0';
    if (suffix == '%' || suffix == '&') {
        if (dot || exponent) throw RuntimeError(kErrTypeMismatch);
        const double limit = suffix == '%' ? 32768.0 : 2147483648.0;
        if (value < -limit || value >= limit) throw RuntimeError(kErrOverflow);
    }
    return value;
}

int16_t cint(double value) {
    if (!(value >= -32768.5 && value < 32767.5)) throw RuntimeError(kErrOverflow);
    double r = std::floor(value);
    const double diff = value - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0)) r += 1;
    return static_cast<int16_t>(r);
}

}  // namespace vostel
