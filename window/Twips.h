#pragma once

namespace ostrel {

// The window is laid out in twips (1/1440 inch) at 15 twips per pixel.
inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) { return twips / kTwipsPerPixel; }
constexpr float PixelsToTwips(int pixels) { return static_cast<float>(pixels * kTwipsPerPixel); }

}  // namespace ostrel
