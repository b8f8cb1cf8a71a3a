#include "engine/pace.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

namespace lexaro {
namespace {

struct PaceCase {
    std::int32_t wordsPerMinute;
    std::int32_t intervalMs;
};

class TickInterval : public testing::TestWithParam<PaceCase> {};

TEST_P(TickInterval, RoundsHalfToEven) {
    EXPECT_EQ(TickIntervalMs(GetParam().wordsPerMinute), GetParam().intervalMs);
}

INSTANTIATE_TEST_SUITE_P(Table, TickInterval,
                         testing::Values(PaceCase{60, 1000}, PaceCase{64, 938}, PaceCase{120, 500},
                                         PaceCase{180, 333}, PaceCase{192, 312}, PaceCase{320, 188},
                                         PaceCase{360, 167}, PaceCase{900, 67}, PaceCase{960, 62},
                                         PaceCase{1600, 38}, PaceCase{1800, 33}));

TEST(TickInterval, MatchesFloatingPointBankersRoundingOverTheWholeRange) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    for (std::int32_t w = kMinWordsPerMinute; w <= kMaxWordsPerMinute; ++w) {
        ASSERT_EQ(TickIntervalMs(w), static_cast<std::int32_t>(std::nearbyint(60000.0 / w)))
            << w << " words per minute";
    }
}

TEST(TickInterval, NonPositivePaceGivesTheLongestInterval) {
    EXPECT_EQ(TickIntervalMs(0), 60000);
    EXPECT_EQ(TickIntervalMs(-120), 60000);
}

}  // namespace
}  // namespace lexaro
