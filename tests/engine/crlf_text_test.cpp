#include "engine/crlf_text.h"

#include <gtest/gtest.h>

#include <random>

namespace lexaro {
namespace {

TEST(CrLfText, WritesEveryDocumentLineBreakAsCrLf) {
    const CrLfText text(u"a\u2029b\u2028c\nd");
    EXPECT_EQ(text.text(), u"a\r\nb\r\nc\r\nd");
    EXPECT_EQ(text.length(), 10);
    EXPECT_EQ(text.documentLength(), 7);
}

TEST(CrLfText, KeepsOtherCharactersAsTheyAre) {
    const CrLfText text(u"\r\t\u00a0\U0001F600");
    EXPECT_EQ(text.text(), u"\r\t\u00a0\U0001F600");
}

TEST(CrLfText, RemembersTheLastSpace) {
    EXPECT_EQ(CrLfText(u"a b\u2029c").lastSpace(), 1);
    EXPECT_EQ(CrLfText(u"ab\u2029c").lastSpace(), -1);
}

struct MapCase {
    std::int32_t textPos;
    std::int32_t documentPos;
};

class CrLfTextToDocument : public testing::TestWithParam<MapCase> {};

// "ab" CR LF CR LF "c": document "ab", break, break, "c".
TEST_P(CrLfTextToDocument, MapsPositions) {
    const CrLfText text(u"ab\u2029\u2029c");
    EXPECT_EQ(text.toDocument(GetParam().textPos), GetParam().documentPos);
}

INSTANTIATE_TEST_SUITE_P(Positions, CrLfTextToDocument,
                         testing::Values(MapCase{0, 0}, MapCase{2, 2}, MapCase{3, 3}, MapCase{4, 3},
                                         MapCase{5, 4}, MapCase{6, 4}, MapCase{7, 5},
                                         MapCase{99, 5}, MapCase{-1, 0}));

TEST(CrLfText, MapsDocumentPositionsForward) {
    const CrLfText text(u"ab\u2029\u2029c");
    const std::int32_t expected[] = {0, 1, 2, 4, 6, 7};
    for (std::int32_t doc = 0; doc <= 5; ++doc) {
        EXPECT_EQ(text.fromDocument(doc), expected[doc]) << doc;
    }
    EXPECT_EQ(text.fromDocument(-4), 0);
    EXPECT_EQ(text.fromDocument(40), 7);
}

TEST(CrLfText, RoundTripsEveryPositionOfRandomTexts) {
    std::mt19937 rng(11);
    const std::u16string alphabet = u"a \u2029\u2029\u2028";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 500; ++round) {
        std::u16string doc(static_cast<std::size_t>(round % 30), u'a');
        for (auto& ch : doc) {
            ch = alphabet[pick(rng)];
        }
        const CrLfText text(doc);
        for (std::int32_t d = 0; d <= text.documentLength(); ++d) {
            ASSERT_EQ(text.toDocument(text.fromDocument(d)), d);
        }
        for (std::int32_t p = 0; p <= text.length(); ++p) {
            const std::int32_t d = text.toDocument(p);
            // Back in the text, a position lands on itself, or just past the CR it split.
            const std::int32_t back = text.fromDocument(d);
            const bool insideBreak = p > 0 && text.text()[static_cast<std::size_t>(p) - 1] == u'\r';
            ASSERT_EQ(back, insideBreak ? p + 1 : p) << "round " << round << " pos " << p;
        }
    }
}

}  // namespace
}  // namespace lexaro
