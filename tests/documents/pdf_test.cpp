#include <gtest/gtest.h>

#include <functional>

#include "documents/extract.h"
#include "documents/pdf_lines.h"
#include "tests/documents/fixtures.h"
#include "tests/documents/test_support.h"

namespace lexaro::documents {
namespace {

struct JoinCase {
    const char* name;
    std::string text;
    std::string joined;
};

class JoinLines : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinLines, MakeOneLinePerParagraph) {
    EXPECT_EQ(JoinPdfLines(GetParam().text), GetParam().joined);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JoinLines,
    testing::Values(
        JoinCase{"SpaceBetweenLines", "one\ntwo\n\nthree", "one two\nthree"},
        JoinCase{"HyphenatedWordJoined", "an exam-\nple", "an example"},
        JoinCase{"HyphenBeforeCapitalKept", "Jean-\nPaul", "Jean-Paul"},
        JoinCase{"HyphenBeforeDigitKept", "1990-\n2000", "1990-2000"},
        JoinCase{"AccentedSmallLetterJoins", "cr\xC3\xA8-\n\xC3\xA9me", "cr\xC3\xA8\xC3\xA9me"},
        JoinCase{"DashAfterSpaceIsNoHyphen", "word -\nnext", "word - next"},
        JoinCase{"SoftHyphenDropped", "exam\xC2\xAD\nple", "example"},
        JoinCase{"EmDashJoinsWithoutSpace", "word\xE2\x80\x94\nnext", "word\xE2\x80\x94next"},
        JoinCase{"BlankRunsAndSpacesTidied", "\n\n  a  b \n\n\n\t\nc\n", "a b\nc"}),
    [](const auto& p) { return std::string(p.param.name); });

PdfWord Word(const std::string& text, double left, double top, bool spaceAfter = true,
             double height = 11) {
    return {text,         left,      top, left + 6.0 * static_cast<double>(text.size()),
            top + height, spaceAfter};
}

struct LayoutCase {
    const char* name;
    std::vector<PdfWord> words;
    std::string text;
};

class LayOutWords : public testing::TestWithParam<LayoutCase> {};

TEST_P(LayOutWords, FindsLinesAndParagraphs) {
    EXPECT_EQ(LayOutPdfWords(GetParam().words), GetParam().text);
}

// Lines 14 pt apart unless said otherwise; a character is 6 pt wide.
INSTANTIATE_TEST_SUITE_P(
    Cases, LayOutWords,
    testing::Values(
        LayoutCase{"ShortSentenceEndThenIndent",
                   {Word("Full", 72, 100), Word("line", 110, 100, false), Word("here", 72, 114),
                    Word("it", 102, 114), Word("goes.", 120, 114, false),
                    Word("End.", 72, 128, false), Word("Next", 72, 142, false),
                    Word("More.", 72, 156, false), Word("Indented", 90, 170, false)},
                   "Full line\nhere it goes.\nEnd.\n\nNext\nMore.\n\nIndented"},
        LayoutCase{"RaggedSentenceEndStays",
                   {Word("A", 72, 100), Word("long", 84, 100), Word("line", 114, 100, false),
                    Word("ends", 72, 114), Word("here.", 102, 114, false), Word("Then", 72, 128),
                    Word("more.", 102, 128, false)},
                   "A long line\nends here.\nThen more."},
        LayoutCase{"GapSizeAndColumn",
                   {Word("Body", 72, 100, false), Word("body", 72, 114, false),
                    Word("After", 72, 160, false), Word("Big", 72, 174, false, 20),
                    Word("Column", 320, 100, false)},
                   "Body\nbody\n\nAfter\n\nBig\n\nColumn"},
        LayoutCase{
            "GapBetweenWordsWithoutSpace",
            {Word("a", 72, 100, false), Word("b", 78, 100, false), Word("c", 200, 100, false)},
            "ab c"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Pdf, ReadsParagraphsAcrossPagesAndColumns) {
    std::vector<fixtures::PdfPage> pages(2);
    pages[0].texts = {{72, 700, "Left column has an exam-"},
                      {72, 686, "ple, and Jean-"},
                      {72, 672, "Paul."},
                      {320, 700, "Right column"},
                      {320, 686, "goes on."}};
    pages[1].texts = {{72, 700, "Second page."}};
    const ExtractResult result = ExtractDocument(fixtures::PdfBytes(pages), "a.pdf");
    ASSERT_EQ(result.status, ExtractExit::Ok);
    EXPECT_EQ(Lines(result.text), (LinesList{"Left column has an example, and Jean-Paul.",
                                             "Right column goes on.", "Second page."}));
}

std::string LongPdf() {
    std::vector<std::vector<std::string>> pages(20, {"Some words on this page.", "", "More."});
    return fixtures::TextPdfBytes(pages);
}

struct PdfFailureCase {
    const char* name;
    std::function<std::string()> bytes;  // made when the test runs
    ExtractExit status;
};

class PdfFailures : public testing::TestWithParam<PdfFailureCase> {};

TEST_P(PdfFailures, SayWhy) {
    const std::string bytes = GetParam().bytes();
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(ExtractDocument(bytes, "a.pdf").status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PdfFailures,
    testing::Values(
        PdfFailureCase{"Encrypted", [] { return fixtures::EncryptedPdfBytes(LongPdf()); },
                       ExtractExit::Encrypted},
        PdfFailureCase{"ImagesOnly", [] { return fixtures::ImageOnlyPdfBytes(3); },
                       ExtractExit::NoText},
        PdfFailureCase{"CutInHalf", [] { return LongPdf().substr(0, LongPdf().size() / 2); },
                       ExtractExit::Damaged},
        PdfFailureCase{"LinearizedCutInHalf",
                       [] {
                           const std::string pdf = fixtures::LinearizedPdfBytes(LongPdf());
                           return pdf.substr(0, pdf.size() / 2);
                       },
                       ExtractExit::Damaged},
        PdfFailureCase{"Garbage", [] { return std::string("%PDF-1.7\ngarbage\n%%EOF\n"); },
                       ExtractExit::Damaged}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace lexaro::documents
