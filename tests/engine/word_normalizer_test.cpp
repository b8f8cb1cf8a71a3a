#include "engine/word_normalizer.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/reference.h"

namespace lexaro {
namespace {

struct NormalizeCase {
    const char* name;
    std::u16string input;
    std::u16string expected;
};

class NormalizeWordCases : public testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeWordCases, Normalizes) {
    EXPECT_EQ(NormalizeWord(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizeWordCases,
    testing::Values(NormalizeCase{"LineBreakBecomesSpace", u"a\r\nb", u"a b"},
                    NormalizeCase{"SpaceBeforeLineBreakCollapses", u"a \r\nb", u"a b"},
                    NormalizeCase{"TwoLineBreaksBecomeOneSpace", u"\r\n\r\n", u" "},
                    NormalizeCase{"RunOfSpacesCollapses", u"a    b", u"a b"},
                    NormalizeCase{"LoneCrStays", u"a\rb", u"a\rb"},
                    NormalizeCase{"LoneLfStays", u"a\nb", u"a\nb"},
                    NormalizeCase{"TabStays", u"a\tb", u"a\tb"},
                    NormalizeCase{"SingleSpacesAroundStay", u" a ", u" a "},
                    NormalizeCase{"Empty", u"", u""},
                    NormalizeCase{"CrBeforePairKeepsCr", u"\r\r\n", u"\r "},
                    NormalizeCase{"LfAfterPairStays", u"\r\n\n", u" \n"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(NormalizeWord, MatchesTheTwoLoopsOnRandomTexts) {
    std::mt19937 rng(7);
    const std::u16string alphabet = u"x \r\n";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 5000; ++round) {
        std::u16string text(static_cast<std::size_t>(round % 17), u'x');
        for (auto& ch : text) {
            ch = alphabet[pick(rng)];
        }
        ASSERT_EQ(NormalizeWord(text), reference::NormalizeWord(text));
    }
}

}  // namespace
}  // namespace lexaro
