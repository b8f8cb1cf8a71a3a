#include "engine/pace.h"

namespace lexaro {

std::int32_t TickIntervalMs(std::int32_t wordsPerMinute) {
    constexpr std::int32_t kMsPerMinute = 60000;
    const std::int32_t w = wordsPerMinute < 1 ? 1 : wordsPerMinute;
    const std::int32_t quotient = kMsPerMinute / w;
    const std::int32_t twiceRemainder = 2 * (kMsPerMinute % w);
    if (twiceRemainder > w || (twiceRemainder == w && quotient % 2 != 0)) {
        return quotient + 1;
    }
    return quotient;
}

}  // namespace lexaro
