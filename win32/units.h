#pragma once
// Twips (1/1440 inch) against pixels. Pure arithmetic, shared by the layout, the mouse
// events and the tests.

#include <cstdint>

namespace tarnelle::units {

inline constexpr int kTwipsPerInch = 1440;

// Rounds to the nearest pixel, as the platform does when it scales dialog units.
constexpr int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + kTwipsPerInch / 2) / kTwipsPerInch
                                      : -((-scaled + kTwipsPerInch / 2) / kTwipsPerInch));
}

constexpr float PixelsToTwips(int pixels, int dpi) {
  return static_cast<float>(pixels) * static_cast<float>(kTwipsPerInch) / static_cast<float>(dpi);
}

}  // namespace tarnelle::units
