#include "serial/line_settings.h"

#include <charconv>
#include <string_view>
#include <vector>

#include "runtime/error.h"

namespace vostel {

namespace {

std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

RuntimeError badSettings(const std::string& settings) {
    return RuntimeError(kErrCommState,
                        "Could not set comm state: \"" + settings +
                            "\" is not baud,parity,data bits,stop bits (for example 9600,N,8,1)");
}

}  // namespace

LineSettings parseLineSettings(const std::string& settings) {
    const std::vector<std::string_view> fields = splitFields(settings);
    if (fields.size() != 4) throw badSettings(settings);
    LineSettings parsed;
    const std::string_view baud = fields[0];
    const auto [end, ec] = std::from_chars(baud.data(), baud.data() + baud.size(), parsed.baud);
    if (ec != std::errc() || end != baud.data() + baud.size() || parsed.baud <= 0)
        throw badSettings(settings);
    if (fields[1].size() != 1) throw badSettings(settings);
    switch (fields[1][0]) {
        case 'N':
        case 'n':
            parsed.parity = LineSettings::Parity::None;
            break;
        case 'E':
        case 'e':
            parsed.parity = LineSettings::Parity::Even;
            break;
        case 'O':
        case 'o':
            parsed.parity = LineSettings::Parity::Odd;
            break;
        case 'M':
        case 'm':
            parsed.parity = LineSettings::Parity::Mark;
            break;
        case 'S':
        case 's':
            parsed.parity = LineSettings::Parity::Space;
            break;
        default:
            throw badSettings(settings);
    }
    if (fields[2].size() != 1 || fields[2][0] < '5' || fields[2][0] > '8') throw badSettings(settings);
    parsed.dataBits = fields[2][0] - '0';
    if (fields[3] == "1")
        parsed.stopBits = LineSettings::StopBits::One;
    else if (fields[3] == "1.5")
        parsed.stopBits = LineSettings::StopBits::OneAndHalf;
    else if (fields[3] == "2")
        parsed.stopBits = LineSettings::StopBits::Two;
    else
        throw badSettings(settings);
    return parsed;
}

}  // namespace vostel
