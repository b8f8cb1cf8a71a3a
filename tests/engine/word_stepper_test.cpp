#include "engine/word_stepper.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace lexaro {
namespace {

// Writes control characters the way the examples in our notes do, so traces read naturally.
std::string Visible(std::u16string_view text) {
    std::string out;
    for (const char16_t ch : text) {
        switch (ch) {
            case u'\r':
                out += "[CR]";
                break;
            case u'\n':
                out += "[LF]";
                break;
            case u'\t':
                out += "[TAB]";
                break;
            default:
                out += ch < 0x80 ? static_cast<char>(ch) : '?';
        }
    }
    return out;
}

// One line per tick: "hold" for a hold tick, else «caption» start,length -> position, hold.
std::string Describe(const WordStep& step, std::int32_t pos, std::int32_t hold) {
    if (step.blnHoldTick) {
        return "hold";
    }
    std::string line = "«" + Visible(step.strCaption) + "» " + std::to_string(step.lngSelStart) +
                       "," + std::to_string(step.lngSelLength) + " -> " + std::to_string(pos);
    if (hold != 0) {
        line += " hold " + std::to_string(hold);
    }
    if (step.blnEndOfText) {
        line += " end";
    }
    return line;
}

enum class Variant { kSearchesForSpace, kKnowsLastSpace };

WordStep Step(Variant variant, std::u16string_view text, std::int32_t& pos, std::int32_t& hold) {
    return variant == Variant::kSearchesForSpace ? StepWord(text, pos, hold)
                                                 : StepWord(text, pos, hold, LastSpaceIndex(text));
}

// Steps from position 0, hold 0 until the text ends (and through any hold after that).
std::vector<std::string> Trace(Variant variant, std::u16string_view text) {
    std::vector<std::string> lines;
    std::int32_t pos = 0;
    std::int32_t hold = 0;
    for (int guard = 0; guard < 100; ++guard) {
        const WordStep step = Step(variant, text, pos, hold);
        lines.push_back(Describe(step, pos, hold));
        if (step.blnEndOfText) {
            break;
        }
    }
    return lines;
}

struct TraceCase {
    const char* name;
    std::u16string text;
    std::vector<std::string> ticks;
};

class StepWordTrace : public testing::TestWithParam<std::tuple<TraceCase, Variant>> {};

TEST_P(StepWordTrace, ShowsEachWordWithItsSelectionAndHold) {
    const auto& [trace, variant] = GetParam();
    EXPECT_EQ(Trace(variant, trace.text), trace.ticks);
}

const TraceCase kTraces[] = {
    {"EmptyTextEndsAtOnce", u"", {"«» 0,0 -> 0 end"}},
    {"TwoWords", u"one two", {"«one» 0,3 -> 4", "«two» 4,3 -> 0 end"}},
    {"CommaAndFullStopHold",
     u"Hello, world.",
     {"«Hello,» 0,6 -> 7 hold 1", "hold", "«world.» 7,6 -> 0 hold 2 end"}},
    {"DoubleSpaceGivesEmptyCaption", u"a  b", {"«a» 0,1 -> 2", "«» 2,0 -> 3", "«b» 3,1 -> 0 end"}},
    {"LeadingSpaceGivesEmptyCaption", u" a", {"«» 0,0 -> 1", "«a» 1,1 -> 0 end"}},
    {"NoSpaceShowsWholeTextWithLineBreak", u"abc\r\ndef", {"«abc[CR][LF]def» 0,8 -> 0 end"}},
    {"LastWordKeepsTrailingLineBreak", u"a b\r\n", {"«a» 0,1 -> 2", "«b[CR][LF]» 2,3 -> 0 end"}},
    {"LineBreakConsumesOnlyTheCr",
     u"a\r\nb c",
     {"«a» 0,1 -> 2", "«[LF]b» 2,2 -> 5", "«c» 5,1 -> 0 end"}},
    {"TextStartingWithLineBreak",
     u"\r\none two",
     {"«» 0,0 -> 1", "«[LF]one» 1,4 -> 6", "«two» 6,3 -> 0 end"}},
    {"BlankLine",
     u"a\r\n\r\nb c",
     {"«a» 0,1 -> 2", "«[LF]» 2,1 -> 4", "«[LF]b» 4,2 -> 7", "«c» 7,1 -> 0 end"}},
    {"TrailingSpacesAfterFullStop",
     u"end.  ",
     {"«end.» 0,4 -> 5 hold 2", "hold", "hold", "«» 5,0 -> 0 end"}},
    {"TabIsAWordCharacter", u"x\ty z", {"«x[TAB]y» 0,3 -> 4", "«z» 4,1 -> 0 end"}},
    {"LoneLfIsAWordCharacter", u"a\nb c", {"«a[LF]b» 0,3 -> 4", "«c» 4,1 -> 0 end"}},
    {"LoneCrIsAWordCharacter", u"a\rb c", {"«a[CR]b» 0,3 -> 4", "«c» 4,1 -> 0 end"}},
    {"InnerHyphenGivesNoHold", u"well-known x", {"«well-known» 0,10 -> 11", "«x» 11,1 -> 0 end"}},
    {"ClosingBracketAfterStopGivesNoHold", u"end.) x", {"«end.)» 0,5 -> 6", "«x» 6,1 -> 0 end"}},
    {"LoneHyphenHolds", u"wait -", {"«wait» 0,4 -> 5", "«-» 5,1 -> 0 hold 1 end"}},
    {"SemicolonQuestionExclamation",
     u"a; b? c!",
     {"«a;» 0,2 -> 3 hold 1", "hold", "«b?» 3,2 -> 6 hold 2", "hold", "hold",
      "«c!» 6,2 -> 0 hold 2 end"}},
    {"LineBreakBeforeSpaceLessTailIsPartOfLastWord",
     u"a b\r\nc\r\nd",
     {"«a» 0,1 -> 2", "«b[CR][LF]c[CR][LF]d» 2,7 -> 0 end"}},
    {"SpaceFarAfterManyLinesStillSplitsAtLineBreaks",
     u"a\r\nb\r\nc d",
     {"«a» 0,1 -> 2", "«[LF]b» 2,2 -> 5", "«[LF]c» 5,2 -> 8", "«d» 8,1 -> 0 end"}},
    {"CrBeforeLineBreak",
     u"a\r\r\nb c",
     {"«a[CR]» 0,2 -> 3", "«[LF]b» 3,2 -> 6", "«c» 6,1 -> 0 end"}},
    {"SurrogatePairStaysWhole", u"\U0001F600 x", {"«??» 0,2 -> 3", "«x» 3,1 -> 0 end"}},
};

INSTANTIATE_TEST_SUITE_P(
    Traces, StepWordTrace,
    testing::Combine(testing::ValuesIn(kTraces),
                     testing::Values(Variant::kSearchesForSpace, Variant::kKnowsLastSpace)),
    [](const testing::TestParamInfo<StepWordTrace::ParamType>& p) {
        return std::string(std::get<0>(p.param).name) +
               (std::get<1>(p.param) == Variant::kSearchesForSpace ? "_Searching" : "_Indexed");
    });

TEST(StepWord, PendingHoldDelaysTheFirstWordOfTheNextReading) {
    std::int32_t pos = 0;
    std::int32_t hold = 2;
    EXPECT_TRUE(StepWord(u"a b", pos, hold).blnHoldTick);
    EXPECT_EQ(hold, 1);
    EXPECT_TRUE(StepWord(u"a b", pos, hold).blnHoldTick);
    EXPECT_EQ(hold, 0);
    const WordStep step = StepWord(u"a b", pos, hold);
    EXPECT_FALSE(step.blnHoldTick);
    EXPECT_EQ(step.strCaption, u"a");
}

struct OutOfRangeCase {
    const char* name;
    std::int32_t pos;
    std::int32_t hold;
    bool holdTick;
    std::int32_t holdAfter;
    std::int32_t selStart;
};

class StepWordOutOfRange : public testing::TestWithParam<OutOfRangeCase> {};

// A text can shrink under a paused reading; states outside the usual range must still end the
// reading cleanly and never read outside the text.
TEST_P(StepWordOutOfRange, EndsOrCountsDownCleanly) {
    const OutOfRangeCase& c = GetParam();
    const std::u16string text = u"one two";
    std::int32_t pos = c.pos;
    std::int32_t hold = c.hold;
    const WordStep step = StepWord(text, pos, hold);
    EXPECT_EQ(step.blnHoldTick, c.holdTick);
    EXPECT_EQ(hold, c.holdAfter);
    if (!c.holdTick) {
        EXPECT_EQ(step.lngSelStart, c.selStart);
    }
}

INSTANTIATE_TEST_SUITE_P(States, StepWordOutOfRange,
                         testing::Values(OutOfRangeCase{"PositionPastEnd", 50, 0, false, 0, 7},
                                         OutOfRangeCase{"PositionAtEnd", 7, 0, false, 0, 7},
                                         OutOfRangeCase{"NegativePosition", -3, 0, false, 0, 0},
                                         OutOfRangeCase{"NegativeHold", 0, -5, false, 0, 0},
                                         OutOfRangeCase{"HugeHoldCountsFromTwo", 0, 1000, true, 1,
                                                        0}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(StepWord, PositionPastShrunkTextEndsWithEmptyCaptionAtTheEnd) {
    std::int32_t pos = 50;
    std::int32_t hold = 0;
    const WordStep step = StepWord(u"one two", pos, hold);
    EXPECT_TRUE(step.blnEndOfText);
    EXPECT_TRUE(step.strCaption.empty());
    EXPECT_EQ(step.lngSelLength, 0);
    EXPECT_EQ(pos, 0);
}

TEST(StepWord, ReadsATextFarBeyondSixteenBitPositionsToItsEnd) {
    std::u16string text;
    const int words = 40000;
    for (int i = 0; i < words; ++i) {
        text += (i % 100 == 50) ? u"line\r\n" : u"word ";
    }
    text += u"last.";
    ASSERT_GT(text.size(), 200000U);

    std::int32_t pos = 0;
    std::int32_t hold = 0;
    int shown = 0;
    std::int32_t expectedStart = 0;
    for (;;) {
        const WordStep step = StepWord(text, pos, hold, LastSpaceIndex(text));
        if (step.blnHoldTick) {
            continue;
        }
        ASSERT_EQ(step.lngSelStart, expectedStart);
        ++shown;
        if (step.blnEndOfText) {
            EXPECT_EQ(step.strCaption, u"last.");
            break;
        }
        expectedStart = pos;
        ASSERT_LT(shown, words + 2);
    }
    EXPECT_EQ(shown, words + 1);
    EXPECT_EQ(pos, 0);
}

// The stepper done the slow, literal way: search for the first space, then for the first CR LF,
// and take the nearer. Random texts over the characters that matter must step identically.
WordStep ReferenceStep(std::u16string_view text, std::int32_t& pos, std::int32_t& hold) {
    if (hold != 0) {
        --hold;
        return {true, {}, 0, 0, false};
    }
    const auto p = static_cast<std::size_t>(pos);
    const std::size_t space = text.find(u' ', p);
    WordStep step{false, {}, pos, 0, false};
    std::size_t end = 0;
    if (space == std::u16string_view::npos) {
        step.strCaption = std::u16string(text.substr(p));
        end = text.size();
    } else {
        const std::size_t lineBreak = text.find(u"\r\n", p);
        end = (lineBreak == std::u16string_view::npos || space < lineBreak) ? space : lineBreak;
        std::u16string word(text.substr(p, end - p));
        for (std::size_t at; (at = word.find(u"\r\n")) != std::u16string::npos;) {
            word.replace(at, 2, u" ");
        }
        for (std::size_t at; (at = word.find(u"  ")) != std::u16string::npos;) {
            word.replace(at, 2, u" ");
        }
        step.strCaption = word;
        ++end;
    }
    step.lngSelLength =
        static_cast<std::int32_t>((space == std::u16string_view::npos ? end : end - 1) - p);
    hold = HoldTicksAfter(step.strCaption);
    if (end == text.size()) {
        pos = 0;
        step.blnEndOfText = true;
    } else {
        pos = static_cast<std::int32_t>(end);
    }
    return step;
}

TEST(StepWord, AgreesWithLiteralReferenceOnRandomTexts) {
    std::mt19937 rng(20261207);
    const std::u16string alphabet = u"ab  \r\n\r\n,.-\t";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 24);
    for (int round = 0; round < 3000; ++round) {
        std::u16string text;
        for (int n = length(rng); n > 0; --n) {
            text.push_back(alphabet[pick(rng)]);
        }
        std::int32_t pos = 0, hold = 0, refPos = 0, refHold = 0, lastPos = 0, lastHold = 0;
        for (int tick = 0; tick < 200; ++tick) {
            const WordStep got = StepWord(text, pos, hold);
            const WordStep indexed = StepWord(text, lastPos, lastHold, LastSpaceIndex(text));
            const WordStep want = ReferenceStep(text, refPos, refHold);
            ASSERT_EQ(Describe(got, pos, hold), Describe(want, refPos, refHold))
                << "text «" << Visible(text) << "» tick " << tick;
            ASSERT_EQ(Describe(indexed, lastPos, lastHold), Describe(want, refPos, refHold));
            if (want.blnEndOfText) {
                break;
            }
        }
    }
}

struct ShownCase {
    const char* name;
    std::u16string caption;
    std::u16string shown;
};

class ShownCaptionOf : public testing::TestWithParam<ShownCase> {};

// What the band shows of a caption: no leading line breaks, and at most kMaxShownCaptionUnits of
// a long word, cut where a character starts.
TEST_P(ShownCaptionOf, DropsLeadingBreaksAndClipsLongWords) {
    EXPECT_EQ(ShownCaption(GetParam().caption), GetParam().shown);
}

const std::u16string kLongWord(kMaxShownCaptionUnits + 10, u'w');
const std::u16string kPairAtTheCut =
    std::u16string(kMaxShownCaptionUnits - 1, u'w') + u"\U0001F600tail";

INSTANTIATE_TEST_SUITE_P(Captions, ShownCaptionOf,
                         testing::Values(ShownCase{"Word", u"word ", u"word "},
                                         ShownCase{"AfterALineBreak", u"\r\n\r\nword", u"word"},
                                         ShownCase{"OnlyBreaks", u"\r\n", u""},
                                         ShownCase{"LongWord", u"\r\n" + kLongWord,
                                                   kLongWord.substr(0, kMaxShownCaptionUnits)},
                                         ShownCase{
                                             "PairAtTheCut", kPairAtTheCut,
                                             kPairAtTheCut.substr(0, kMaxShownCaptionUnits - 1)}),
                         [](const auto& p) { return std::string(p.param.name); });

// The rest of a text without a space is one word of any length: the tick selects all of it and
// holds after its last character, but copies only what a display can show.
TEST(StepWord, AHugeLastWordIsSelectedWholeAndCopiedOnlyAsFarAsShown) {
    for (const std::u16string& lead : {std::u16string(), std::u16string(u"\r\n\r\n")}) {
        const std::u16string text = u"a " + lead + std::u16string(1'000'000, u'x') + u"\r\nend.";
        std::int32_t position = 2;
        std::int32_t hold = 0;
        const WordStep step = StepWord(text, position, hold);
        EXPECT_EQ(step.lngSelLength, static_cast<std::int32_t>(text.size()) - 2);
        EXPECT_EQ(hold, 2);  // from the full stop a megabyte on
        EXPECT_TRUE(step.blnEndOfText);
        EXPECT_EQ(step.strCaption.size(), lead.size() + kMaxShownCaptionUnits + 1);
        EXPECT_EQ(ShownCaption(step.strCaption), ShownCaption(std::u16string_view(text).substr(2)));
    }
}

}  // namespace
}  // namespace lexaro
