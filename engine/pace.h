#pragma once
// Reading pace: words per minute to the timer interval between two ticks.

#include <cstdint>

namespace lexaro {

inline constexpr std::int32_t kMinWordsPerMinute = 60;
inline constexpr std::int32_t kMaxWordsPerMinute = 1800;

// 60000 / wordsPerMinute milliseconds, rounded to the nearest whole number with an exact half
// going to the even neighbour (64 -> 938, 192 -> 312). Exact integer arithmetic, no floating
// point. A pace below 1 is treated as 1, so the result is always between 0 and 60000.
[[nodiscard]] std::int32_t TickIntervalMs(std::int32_t wordsPerMinute);

}  // namespace lexaro
