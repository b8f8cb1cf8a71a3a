#pragma once
// Display font size: the scroll bar's bounds and the View menu's steps.

#include <optional>

namespace lexaro {

inline constexpr int kMinFontSize = 8;
inline constexpr int kMaxFontSize = 120;
inline constexpr int kNormalFontSize = 60;
inline constexpr int kFontSizeMenuStep = 8;

// The size one menu step away from `size` (delta +8 or -8), or nothing when that step would pass
// a bound: a step is refused whole, never clamped to the bound.
[[nodiscard]] constexpr std::optional<int> SteppedFontSize(int size, int delta,
                                                           int min = kMinFontSize,
                                                           int max = kMaxFontSize) noexcept {
    const int next = size + delta;
    if (next < min || next > max) {
        return std::nullopt;
    }
    return next;
}

}  // namespace lexaro
