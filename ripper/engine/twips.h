// Form layouts are given in twips (1/1440 inch); windows want pixels at the
// real DPI.
#pragma once

constexpr int TwipsToPixels(int twips, int dpi) {
  // Rounded to nearest, as a 96-DPI form designer lays controls out.
  return (twips * dpi + (twips >= 0 ? 720 : -720)) / 1440;
}
constexpr int PixelsToTwips(int pixels, int dpi) {
  return dpi > 0 ? (pixels * 1440 + (pixels >= 0 ? dpi / 2 : -dpi / 2)) / dpi : 0;
}
