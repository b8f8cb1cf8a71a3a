#pragma once
// Window layouts are written in twips, as designed: 15 twips make one device-independent pixel.
// Qt then scales those pixels for the screen.

#include <QRect>

namespace lexaro {

inline constexpr int kTwipsPerPixel = 15;

[[nodiscard]] constexpr int Twips(int value) {
    return value / kTwipsPerPixel;
}

[[nodiscard]] constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}

}  // namespace lexaro
