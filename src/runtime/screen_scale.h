#pragma once
// Twips (1/1440 inch), the unit the windows are laid out in, on a screen of a
// given density: 15 twips a pixel at the standard 96 dots per inch, and
// proportionally more pixels on a denser screen (10 twips a pixel at 144 DPI).

namespace vostel {

inline constexpr int kStandardDpi = 96;
inline constexpr int kTwipsPerInch = 1440;

// Twips to whole pixels at `dpi`, to the nearest pixel (halves up).
constexpr int twipsToPixelsAtDpi(int twips, int dpi) {
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

}  // namespace vostel
