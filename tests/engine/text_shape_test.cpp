#include "engine/text_shape.h"

#include <gtest/gtest.h>

#include <string>

namespace lexaro {
namespace {

struct ShapeCase {
    const char* name;
    std::u16string text;
    TextShape shape;
};

class TextShapeTest : public testing::TestWithParam<ShapeCase> {};

TEST_P(TextShapeTest, CountsLinesAsTheBoxMakesThem) {
    const TextShape shape = MeasureTextShape(GetParam().text);
    const TextShape& want = GetParam().shape;
    EXPECT_EQ(shape.lines, want.lines);
    EXPECT_EQ(shape.longestLine, want.longestLine);
    EXPECT_EQ(shape.longestRun, want.longestRun);
    EXPECT_EQ(shape.firstLine, want.firstLine);
    EXPECT_EQ(shape.lastLine, want.lastLine);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, TextShapeTest,
    testing::Values(
        ShapeCase{"Empty", u"", {1, 0, 0, 0, 0}},
        ShapeCase{"CrLfCountsOnce", u"ab\r\ncde\r\n", {3, 3, 3, 2, 0}},
        ShapeCase{"LoneCrAndLoneLf", u"a\rbb\ncccc", {3, 4, 4, 1, 4}},
        ShapeCase{"LfCrIsTwoBreaks", u"a\n\rb", {3, 1, 1, 1, 1}},
        ShapeCase{"ParagraphSeparatorAndFrameMarks", u"a\u2029b\uFDD0c\uFDD1d", {4, 1, 1, 1, 1}},
        ShapeCase{"LineSeparatorWrapsButStaysOneLine", u"abc\u2028de", {1, 6, 3, 6, 6}},
        ShapeCase{"SpacesAndTabsEndRuns", u"abcd ef\tghi", {1, 11, 4, 11, 11}},
        ShapeCase{"NoBreakSpaceJoinsARun", u"ab\u00A0cd e", {1, 7, 5, 7, 7}},
        ShapeCase{"OnlyBreaks", u"\r\n\r\n\n", {4, 0, 0, 0, 0}}),
    [](const testing::TestParamInfo<ShapeCase>& param) { return std::string(param.param.name); });

TEST(TextShapeLimits, JudgesLinesAndLineLengthAtTheirLimits) {
    // A loaded text's own first line break does not count against the limit.
    EXPECT_EQ(JudgeTextShape({kMaxTextLines + 1, kMaxLineUnits, kMaxLineUnits, 0, 0}),
              ShapeVerdict::Fits);
    EXPECT_EQ(JudgeTextShape({kMaxTextLines + 2, 1, 1, 0, 0}), ShapeVerdict::TooManyLines);
    EXPECT_EQ(JudgeTextShape({1, kMaxLineUnits + 1, 1, 0, 0}), ShapeVerdict::LineTooLong);
    // One line break past the limit, or one character, is enough to refuse.
    const std::u16string breaks(kMaxTextLines + 1, u'\n');
    EXPECT_EQ(JudgeTextShape(MeasureTextShape(breaks)), ShapeVerdict::TooManyLines);
    EXPECT_EQ(JudgeTextShape(MeasureTextShape(breaks.substr(1))), ShapeVerdict::Fits);
}

TEST(TextShapeLimits, InsertionJoinsTheLinesAroundIt) {
    // Into the middle of one line: the inserted line joins both sides.
    TextShape joined = ShapeAfterInsert(MeasureTextShape(u"xyz"), 10, 4, 5);
    EXPECT_EQ(joined.lines, 10u);
    EXPECT_EQ(joined.longestLine, 12u);
    // A text of several lines: its first line joins the text before, its last the text after.
    TextShape split = ShapeAfterInsert(MeasureTextShape(u"ab\r\nc\r\ndefg"), 10, 100, 7);
    EXPECT_EQ(split.lines, 12u);
    EXPECT_EQ(split.firstLine, 102u);
    EXPECT_EQ(split.lastLine, 11u);
    EXPECT_EQ(split.longestLine, 102u);
    EXPECT_EQ(JudgeTextShape(ShapeAfterInsert(MeasureTextShape(u"a"), 1, kMaxLineUnits, 0)),
              ShapeVerdict::LineTooLong);
}

TEST(TextShapeLimits, APasteIsHeldToItsOwnLimitsAndTheBoxs) {
    const TextShape small = MeasureTextShape(u"a\r\nb");
    const TextShape box{kMaxTextLines + 2, 1, 1, 0, 0};
    EXPECT_EQ(JudgePaste(small, 4, small), ShapeVerdict::Fits);
    EXPECT_EQ(JudgePaste(small, 4, box), ShapeVerdict::TooManyLines);
    EXPECT_EQ(JudgePaste({kMaxPastedLines + 1, 0, 0, 0, 0}, 0, small),
              ShapeVerdict::PasteTooManyLines);
    EXPECT_EQ(JudgePaste({kMaxPastedLines, 0, 0, 0, 0}, kMaxPastedUnits, small),
              ShapeVerdict::Fits);
    EXPECT_EQ(JudgePaste(small, kMaxPastedUnits + 1, small), ShapeVerdict::PasteTooLong);
}

// Pieces put in one after another must make exactly the lines of the whole text.
TEST(WholeLinesEnd, CutsOnlyAfterWholeLinesWithinTheLimits) {
    const std::u16string text = u"ab\r\ncd\ref\n\r\nlong line here\u2029x";
    struct Cut {
        std::size_t from, maxUnits, maxLines, end;
    };
    for (const Cut& cut : {
             Cut{0, 100, 100, text.size()},  // everything fits
             Cut{0, 100, 1, 4},              // one line: CR LF stays together
             Cut{0, 3, 100, 4},              // "ab\r" would split the CR LF: the line goes whole
             Cut{0, 7, 100, 7},              // two lines fit in 7 units
             Cut{4, 100, 2, 10},             // lone CR, then lone LF
             Cut{10, 5, 100, 12},            // a blank CR LF line, not the long one after it
             Cut{12, 5, 100, 27},            // a line longer than the limit goes whole
             Cut{27, 5, 100, text.size()},   // the last line has no break
         }) {
        EXPECT_EQ(WholeLinesEnd(text, cut.from, cut.maxUnits, cut.maxLines), cut.end)
            << cut.from << " " << cut.maxUnits << " " << cut.maxLines;
    }
}

}  // namespace
}  // namespace lexaro
