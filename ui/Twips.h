#pragma once
// Window layouts are written in twips, as designed: 15 twips make one device-independent pixel.
// Qt then scales those pixels for the screen.

#include <QRect>

namespace lexaro {

inline constexpr int kTwipsPerPixel = 15;

[[nodiscard]] constexpr int twips(int value) {
    return value / kTwipsPerPixel;
}

[[nodiscard]] constexpr QRect twipsRect(int left, int top, int width, int height) {
    return {twips(left), twips(top), twips(width), twips(height)};
}

}  // namespace lexaro
