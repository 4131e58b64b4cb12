#pragma once
// Twips, the unit windows and controls are laid out in (1/1440 inch), and the
// screen's pixels: 15 twips make one pixel at the standard 96 dots per inch,
// and proportionally more pixels fall on an inch of a denser screen (10 twips
// a pixel at 144 DPI). Qt scales its logical pixels on high-DPI screens; the
// Win32 shell lays its windows out for its monitor's DPI itself.

namespace vostel {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStandardDpi = 96;
inline constexpr int kTwipsPerPixel = kTwipsPerInch / kStandardDpi;  // 15, at the standard DPI

// Twips to whole pixels at `dpi`, to the nearest pixel, halves up (372 twips
// are 24.8 pixels at 96 DPI: 25; 10095 twips are 1009.5 pixels at 144 DPI: 1010).
constexpr int twipsToPixels(int twips, int dpi = kStandardDpi) {
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

}  // namespace vostel
