#pragma once
// Twips, the unit windows and controls are laid out in (1/1440 inch), and the
// screen's pixels: 15 twips make one logical pixel at 96 dots per inch. Both
// toolkits scale logical pixels on high-DPI screens.

namespace vostel {

constexpr int kTwipsPerPixel = 15;

// Twips to whole pixels, to the nearest pixel (372 twips are 24.8 pixels: 25).
constexpr int twipsToPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

}  // namespace vostel
