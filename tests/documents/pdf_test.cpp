#include <gtest/gtest.h>

#include <functional>

#include "documents/bidi.h"
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
        JoinCase{"HyphenAfterCapitalsKept", "FAA-\napproved", "FAA-approved"},
        JoinCase{"AccentedSmallLetterJoins", "cr\xC3\xA8-\n\xC3\xA9me", "cr\xC3\xA8\xC3\xA9me"},
        JoinCase{"DashAfterSpaceIsNoHyphen", "word -\nnext", "word - next"},
        JoinCase{"SoftHyphenDropped", "exam\xC2\xAD\nple", "example"},
        JoinCase{"EmDashJoinsWithoutSpace", "word\xE2\x80\x94\nnext", "word\xE2\x80\x94next"},
        JoinCase{"EnDashBetweenFiguresJoins", "pages 222\xE2\x80\x93\n228",
                 "pages 222\xE2\x80\x93"
                 "228"},
        JoinCase{"SpacedEnDashKeepsItsSpace", "word \xE2\x80\x93\nnext", "word \xE2\x80\x93 next"},
        // The document's own words decide a hyphen at a line end.
        JoinCase{"HyphenKeptWhereTheDocumentHasIt", "Open-domain QA.\n\nAn open-\ndomain one.",
                 "Open-domain QA.\nAn open-domain one."},
        JoinCase{"CompoundCutAtItsSecondHyphen", "a state-of-\nthe-art model",
                 "a state-of-the-art model"},
        JoinCase{"HyphenBeforeACommonWordIsADash",
                 "The children came and went, and sang and played.\n\nHer children-\nand dogs.",
                 "The children came and went, and sang and played.\nHer children-and dogs."},
        JoinCase{"HyphenDroppedWhereTheDocumentJoins",
                 "open-domain, \xE2\x80\x9Copendomain\xE2\x80\x9D\nAn open-\ndomain one.",
                 "open-domain, \xE2\x80\x9Copendomain\xE2\x80\x9D An opendomain one."},
        JoinCase{"BlankRunsAndSpacesTidied", "\n\n  a  b \n\n\n\t\nc\n", "a b\nc"}),
    [](const auto& p) { return std::string(p.param.name); });

PdfWord Word(const std::string& text, double left, double top, bool spaceAfter = true,
             double height = 11, bool upright = true) {
    return {text,         left,       top,    left + 6.0 * static_cast<double>(text.size()),
            top + height, spaceAfter, upright};
}

// One word per line, at the left margin unless said otherwise.
std::vector<PdfWord> Column(double left, double top, double step,
                            const std::vector<std::string>& lines, double height = 11) {
    std::vector<PdfWord> words;
    for (const std::string& line : lines) {
        words.push_back(Word(line, left, top, false, height));
        top += step;
    }
    return words;
}

std::vector<PdfWord> operator+(std::vector<PdfWord> a, const std::vector<PdfWord>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Three pages with a running header carrying the page number at their top, then a page whose
// body starts where the header stood, with `first`.
std::vector<std::vector<PdfWord>> BodyWhereHeadersStand(const std::string& first) {
    std::vector<std::vector<PdfWord>> pages;
    for (const char* body : {"Body one.", "Body two.", "Body three."}) {
        pages.push_back(Column(72, 40, 14, {std::to_string(pages.size() + 11) + " THE BOOK"}) +
                        Column(72, 100, 14, {body}));
    }
    pages.push_back(Column(72, 40, 14, {first, "and so it goes."}));
    return pages;
}

// A table over five pages whose last row differs only in its figures.
std::vector<std::vector<PdfWord>> TaxTable() {
    std::vector<std::vector<PdfWord>> pages;
    const char* rows[][2] = {{"Wages.", "Total tax 1,204"},
                             {"Interest.", "Total tax 3,877"},
                             {"Dividends.", "Total tax 2,310"},
                             {"Pensions.", "Total tax 4,051"},
                             {"Rents.", "Total tax 1,876"}};
    for (const auto& row : rows) {
        pages.push_back(Column(72, 100, 14, {row[0]}) + Column(72, 700, 14, {row[1]}));
    }
    return pages;
}

// A slide: its title in 20 pt type at the top, then its lines.
std::vector<PdfWord> Slide(const std::string& title, const std::vector<std::string>& lines) {
    return Column(40, 30, 30, {title}, 20) + Column(40, 100, 20, lines);
}

// A list shown an item at a time over three slides, then the next slide.
std::vector<std::vector<PdfWord>> BuiltUpSlides() {
    return {Slide("Plan", {"\xE2\x80\xA2 One"}),
            Slide("Plan", {"\xE2\x80\xA2 One", "\xE2\x80\xA2 Two"}),
            Slide("Plan", {"\xE2\x80\xA2 One", "\xE2\x80\xA2 Two", "\xE2\x80\xA2 Three"}),
            Slide("End", {"Thanks."})};
}

// A section's title on three slides among seven.
std::vector<std::vector<PdfWord>> SlidesOfSections() {
    std::vector<std::vector<PdfWord>> pages;
    const char* slides[][2] = {{"Start", "Why read."},       {"Results", "Faster."},
                               {"Results", "Fewer errors."}, {"Results", "Less strain."},
                               {"Method", "We timed it."},   {"Data", "Ten readers."},
                               {"End", "Questions?"}};
    for (const auto& slide : slides) {
        pages.push_back(Slide(slide[0], {slide[1]}));
    }
    return pages;
}

// A block of five lines of running text (25 characters, 150 pt wide) in a column at `left`, 14 pt
// apart from `top` down, ending a sentence: "<name> runs on, line 1 of 5 ... <name> runs on, line
// 5 of 5." read as one paragraph.
std::vector<PdfWord> TextBlock(const std::string& name, double left, double top) {
    std::vector<std::string> lines;
    for (int line = 1; line <= 5; ++line) {
        lines.push_back(name + " runs on, line " + std::to_string(line) + " of 5" +
                        (line == 5 ? "." : ""));
    }
    return Column(left, top, 14, lines);
}

std::string TextParagraph(const std::string& name) {
    std::string text;
    for (int line = 1; line <= 5; ++line) {
        text += (line > 1 ? " " : "") + name + " runs on, line " + std::to_string(line) + " of 5";
    }
    return text + ".";
}

// A paragraph of four full lines that breaks off mid-sentence: "Cut runs on, line 1 of 4 ... Cut
// runs on, line 4 of 4 and".
std::vector<PdfWord> CutParagraph(double left, double top) {
    return Column(left, top, 14,
                  {"Cut runs on, line 1 of 4", "Cut runs on, line 2 of 4",
                   "Cut runs on, line 3 of 4", "Cut runs on, line 4 of 4 and"});
}

const std::string kCutParagraph =
    "Cut runs on, line 1 of 4 Cut runs on, line 2 of 4 Cut runs on, line 3 of 4 Cut runs on, "
    "line 4 of 4 and";

struct LayoutCase {
    const char* name;
    std::vector<std::vector<PdfWord>> pages;  // 792 pt high
    std::string text;
};

class Layout : public testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, ReadsAsAPersonWould) {
    PdfLayout layout;
    for (const auto& words : GetParam().pages) {
        layout.addPage(words, 792);
    }
    EXPECT_EQ(layout.text(), GetParam().text);
    EXPECT_GE(layout.size(), layout.text().size());
}

// Lines 14 pt apart unless said otherwise; a character is 6 pt wide.
INSTANTIATE_TEST_SUITE_P(
    Cases, Layout,
    testing::Values(
        LayoutCase{"ShortSentenceEndThenIndent",
                   {{Word("Full", 72, 100), Word("line", 110, 100, false), Word("here", 72, 114),
                     Word("it", 102, 114), Word("goes.", 120, 114, false),
                     Word("End.", 72, 128, false), Word("Next", 72, 142, false),
                     Word("more.", 72, 156, false), Word("Indented", 90, 170, false)}},
                   "Full line here it goes. End.\nNext more.\nIndented"},
        LayoutCase{"GapSizeAndColumn",
                   {{Word("Body", 72, 100, false), Word("body", 72, 114, false),
                     Word("After", 72, 160, false), Word("Big", 72, 190, false, 20),
                     Word("Column", 320, 100, false)}},
                   "Body body\nAfter\nBig\nColumn"},
        // The old rule took the tightest step on the page (the table's) as the usual one, and cut
        // every body line into a paragraph of its own.
        LayoutCase{"TightTableKeepsBodyWhole",
                   {Column(72, 100, 14, {"One two", "three four."}) +
                    Column(72, 142, 10, {"a b", "c d", "e f"}) +
                    Column(72, 200, 14, {"Five six", "seven eight", "nine."})},
                   "One two three four.\na b c d e f\nFive six seven eight nine."},
        LayoutCase{
            "HeadersFootersAndPageNumbersDropped",
            {Column(72, 40, 14, {"Journal of Things 1"}) + Column(72, 100, 14, {"The story goes"}) +
                 Column(300, 760, 14, {"1"}),
             Column(72, 40, 14, {"Journal of Things 2"}) +
                 Column(72, 100, 14, {"on and on, to the"}) + Column(300, 760, 14, {"- ii -"}),
             Column(72, 40, 14, {"Journal of Things 3"}) + Column(72, 100, 14, {"end."}) +
                 Column(300, 760, 14, {"3"})},
            "The story goes on and on, to the end."},
        // Body lines that look like a page's furniture but whose numbers do not follow the pages.
        LayoutCase{"PageTopLineStartingWithI",
                   BodyWhereHeadersStand("I stayed two months in Kirkwall,"),
                   "Body one.\nBody two.\nBody three.\nI stayed two months in Kirkwall, and so it "
                   "goes."},
        LayoutCase{"PageTopLineStartingWithANumber", BodyWhereHeadersStand("28 Ferventis: the"),
                   "Body one.\nBody two.\nBody three.\n28 Ferventis: the and so it goes."},
        LayoutCase{"NumberedHeadingAtPageTop", BodyWhereHeadersStand("2 Methods"),
                   "Body one.\nBody two.\nBody three.\n2 Methods and so it goes."},
        // Its number goes up with the pages like theirs, but the paragraph runs on below it.
        LayoutCase{"NumberedLineAParagraphRunsThrough",
                   BodyWhereHeadersStand("14 ships sailed out,"),
                   "Body one.\nBody two.\nBody three.\n14 ships sailed out, and so it goes."},
        LayoutCase{"TableRowsDifferingInFigures", TaxTable(),
                   "Wages.\nTotal tax 1,204\nInterest.\nTotal tax 3,877\nDividends.\nTotal tax "
                   "2,310\nPensions.\nTotal tax 4,051\nRents.\nTotal tax 1,876"},
        LayoutCase{"FootnoteReadAfterTheParagraphItInterrupts",
                   {Column(72, 100, 14, {"The sentence runs", "down the col-"}) +
                    Column(72, 700, 10, {"1 A note."}, 8) +
                    Column(320, 100, 14, {"umn and ends.", "Next one."})},
                   "The sentence runs down the column and ends. Next one.\n1 A note."},
        LayoutCase{"TurnedMarginStampDropped",
                   {{Word("Upright", 72, 100), Word("text", 120, 100), Word("only,", 150, 100),
                     Word("as", 186, 100), Word("read.", 204, 100, false),
                     Word("stamp", 20, 300, false, 5, false)}},
                   "Upright text only, as read."},
        LayoutCase{"RightToLeftInLogicalOrder",  // as drawn: "םלוע םולש"
                   {{Word("\xD7\x9D\xD7\x9C\xD7\x95\xD7\xA2", 72, 100),
                     Word("\xD7\x9D\xD7\x95\xD7\x9C\xD7\xA9", 110, 100, false)}},
                   "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D"},
        // Raised marks in smaller type (11 pt text, 7 pt marks 0.5 em up): a word of their own
        // after the word they mark; the note's own, given after its text as poppler may, starts
        // it. A raised figure after a figure, a letter or a function's name is a power.
        LayoutCase{
            "NoteMarksAndTheirNotes",
            {{Word("It", 72, 100), Word("works", 90, 100, false), Word("1", 120, 96, false, 7),
              Word(",", 126, 100), Word("they", 136, 100), Word("said.", 166, 100, false),
              Word("A", 78, 700, true, 8), Word("note", 86, 700, false, 8),
              Word("ends.", 72, 710, false, 8), Word("1", 72, 698, false, 5)}},
            "It works [1], they said.\n[1] A note ends."},
        LayoutCase{
            "PowersAreNoNotes",
            {{Word("x", 72, 100, false), Word("2", 78, 96, true, 7), Word("and", 90, 100),
              Word("cos", 114, 100, false), Word("2", 132, 96, true, 7), Word("v", 140, 100),
              Word("is", 150, 100), Word("10", 166, 100, false), Word("3", 178, 96, false, 7)}},
            "x2 and cos2 v is 103"},
        LayoutCase{"BuiltUpSlideReadOnce", BuiltUpSlides(),
                   "Plan\n\xE2\x80\xA2 One\n\xE2\x80\xA2 Two\n\xE2\x80\xA2 Three\nEnd\nThanks."},
        LayoutCase{"SlideTitleOnSeveralSlidesIsRead", SlidesOfSections(),
                   "Start\nWhy read.\nResults\nFaster.\nResults\nFewer errors.\nResults\nLess "
                   "strain.\nMethod\nWe timed it.\nData\nTen readers.\nEnd\nQuestions?"},
        // poppler gave the foot of the left column (below a list) first, then the right column,
        // then the left column's top.
        LayoutCase{"ColumnsReadOneAfterTheOther",
                   {TextBlock("Lower left", 72, 400) + TextBlock("Right", 320, 100) +
                    TextBlock("Upper left", 72, 100)},
                   TextParagraph("Upper left") + "\n" + TextParagraph("Lower left") + "\n" +
                       TextParagraph("Right")},
        // A figure's caption across both columns: the page reads in bands, each column by column.
        LayoutCase{"BandsAboveAndBelowAWideCaption",
                   {TextBlock("Aaaaa", 72, 100) + TextBlock("Ccccc", 72, 260) +
                    TextBlock("Bbbbb", 320, 100) +
                    Column(72, 200, 14, {std::string(70, 'W') + " across."}) +
                    TextBlock("Ddddd", 320, 260)},
                   TextParagraph("Aaaaa") + "\n" + TextParagraph("Bbbbb") + "\n" +
                       std::string(70, 'W') + " across.\n" + TextParagraph("Ccccc") + "\n" +
                       TextParagraph("Ddddd")},
        // A note just below the column's text (one block with it), then a figure's label and
        // caption at the next column's top: read after the paragraph that runs past them.
        LayoutCase{"FloatsReadAfterTheParagraphTheyInterrupt",
                   {CutParagraph(72, 500) + Column(72, 560, 10, {"A note."}, 8) +
                    Column(320, 100, 20, {"Label"}, 16) +
                    Column(320, 130, 12, {"Figure 1: A caption."}, 9) +
                    Column(320, 160, 14, {"so it ends."})},
                   kCutParagraph + " so it ends.\nA note.\nLabel\nFigure 1: A caption."},
        LayoutCase{
            "NoteAndTableAcrossAPageReadAfterTheParagraph",
            {CutParagraph(72, 600) + Column(72, 700, 10, {"A note."}, 8),
             Column(72, 60, 10, {"Table 1: Figures."}, 8) + Column(72, 100, 14, {"so it ends."})},
            kCutParagraph + " so it ends.\nA note.\nTable 1: Figures."},
        // Larger type at the next page's top is its title, not a float.
        LayoutCase{"TitleOnTheNextPageIsNoFloat",
                   {CutParagraph(72, 600),
                    Column(72, 60, 30, {"Chapter Two"}, 20) + Column(72, 100, 14, {"so it ends."})},
                   kCutParagraph + "\nChapter Two\nso it ends."},
        // A line that left room for the next one's first word, which starts like a capital at
        // its indent, is a line of its own: list items without their bullets, verse, headings.
        LayoutCase{"ShortLinesStandAlone",
                   {Column(72, 100, 14,
                           {"Zone classification", "Page split", "Reading order found by rules"})},
                   "Zone classification\nPage split\nReading order found by rules"},
        // Verse set in from the text: each line stops where the next one's first word would fit.
        LayoutCase{"VerseLinesStayLines",
                   {Column(72, 100, 14, {"He stood at the door of the old house and sang:"}) +
                    Column(92, 114, 14,
                           {"I searched the hills and searched,", "For those who wander far,",
                            "And came home at last."}) +
                    Column(72, 156, 14, {"Then he went in and closed the door behind him."})},
                   "He stood at the door of the old house and sang:\nI searched the hills and "
                   "searched,\nFor those who wander far,\nAnd came home at last.\nThen he went in "
                   "and closed the door behind him."},
        // Ragged running text breaks where the next word does not fit.
        LayoutCase{"RaggedLinesOfATextStayJoined",
                   {Column(72, 100, 14,
                           {"The committee met on Tuesday and",
                            "Representatives from each group came", "to the hall."})},
                   "The committee met on Tuesday and Representatives from each group came to the "
                   "hall."},
        // Justified lines of a narrow column (beside a picture) end where their neighbours end,
        // however far short of the wider lines below.
        LayoutCase{"NarrowJustifiedLinesStayJoined",
                   {Column(72, 100, 14,
                           {"I may use the button to Read", "Aloud the book, as it says,",
                            "and so on, and so on, and so on, to the end."})},
                   "I may use the button to Read Aloud the book, as it says, and so on, and so on, "
                   "and so on, to the end."},
        // A title two points above its authors' names, within a fifth of their size.
        LayoutCase{"TitleAboveItsAuthorsIsALineOfItsOwn",
                   {Column(72, 100, 16, {"A Title of Some Length Here"}, 13) +
                    Column(72, 118, 14, {"Ann Author and Bob Writer"}, 10.7)},
                   "A Title of Some Length Here\nAnn Author and Bob Writer"},
        LayoutCase{
            "GapBetweenWordsWithoutSpace",
            {{Word("a", 72, 100, false), Word("b", 78, 100, false), Word("c", 200, 100, false)}},
            "ab c"}),
    [](const auto& p) { return std::string(p.param.name); });

// Letters in their joined shapes and lam-alef ligatures (with hamza, too), as a font's map may
// give them, come out as plain letters in reading order: "کالای الأول".
TEST(Pdf, PresentationFormsReadAsLettersInLogicalOrder) {
    EXPECT_EQ(LogicalOrder("\uFEDD\uFEED\uFEF7\uFE8D \uFBFC\uFEFB\uFE8E\uFB90"),
              "\u06A9\u0627\u0644\u0627\u06CC \u0627\u0644\u0623\u0648\u0644");
}

// The trace tells why a line was dropped, read aside, or began or went on a paragraph: what a
// person tuning the layout reads to see which threshold decided.
struct TraceCase {
    const char* name;
    std::vector<std::vector<PdfWord>> pages;
    std::string line;  // the line's text
    std::string why;   // a reason printed under it
};

class LayoutTrace : public testing::TestWithParam<TraceCase> {};

TEST_P(LayoutTrace, SaysWhy) {
    PdfLayout layout;
    for (const auto& words : GetParam().pages) {
        layout.addPage(words, 792);
    }
    const std::string trace = layout.trace();
    const std::size_t line = trace.find('"' + GetParam().line + "\"\n");
    ASSERT_NE(line, std::string::npos) << trace;
    const std::size_t next = trace.find("    line ", line);
    const std::size_t why = trace.find("      " + GetParam().why + "\n", line);
    EXPECT_TRUE(why != std::string::npos && why < next) << trace;
}

std::vector<std::vector<PdfWord>> JournalPages() {
    return {Column(72, 40, 14, {"Journal of Things 1"}) + Column(72, 100, 14, {"The story goes"}) +
                Column(300, 760, 14, {"1"}),
            Column(72, 40, 14, {"Journal of Things 2"}) +
                Column(72, 100, 14, {"on and on, to the"}) + Column(300, 760, 14, {"- ii -"}),
            Column(72, 40, 14, {"Journal of Things 3"}) + Column(72, 100, 14, {"end."}) +
                Column(300, 760, 14, {"3"})};
}

std::vector<std::vector<PdfWord>> FootnotePage() {
    return {Column(72, 100, 14, {"The sentence runs", "down the col-"}) +
            Column(72, 700, 10, {"1 A note."}, 8) +
            Column(320, 100, 14, {"umn and ends.", "Next one."})};
}

std::vector<std::vector<PdfWord>> GapAndSizePage() {
    return {Column(72, 100, 14, {"Body", "body"}) + Column(72, 150, 14, {"After"}) +
            Column(72, 180, 14, {"Big"}, 20)};
}

std::vector<std::vector<PdfWord>> BoldRunInPage() {
    std::vector<PdfWord> words{Word("Ends", 72, 100),       Word("here.", 102, 100, false),
                               Word("Sample", 72, 114),     Word("efficiency", 114, 114),
                               Word("We", 180, 114),        Word("explore", 198, 114),
                               Word("it.", 246, 114, false)};
    words[2].bold = true;
    words[3].bold = true;
    return {words};
}

std::vector<std::vector<PdfWord>> TwoColumnsPage() {
    return {Column(72, 100, 14, {"Left goes on"}) + Column(320, 60, 14, {"Right starts"})};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutTrace,
    testing::Values(
        TraceCase{"RunningHeader", JournalPages(), "Journal of Things 2",
                  "furniture: repeats at y=40.0 on 3 pages, its numbers going up with the pages"},
        TraceCase{"NumberedLineInAParagraph", BodyWhereHeadersStand("14 ships sailed out,"),
                  "14 ships sailed out,",
                  "kept: repeats like furniture, but a paragraph of the text runs through it"},
        TraceCase{"PageNumber", JournalPages(), "- ii -",
                  "furniture: a page number at y=760.0, as on 3 pages"},
        TraceCase{"GapOverUsualStep", GapAndSizePage(), "After",
                  "new paragraph: gap 36.0 > 1.25 \xC3\x97 usual 14.0"},
        TraceCase{"TypeSize", GapAndSizePage(), "Big", "new paragraph: type size 11.0, then 20.0"},
        TraceCase{"CapitalAfterColumn", TwoColumnsPage(), "Right starts",
                  "new paragraph after a break: no small letter starts it"},
        TraceCase{"Footnote", FootnotePage(), "1 A note.",
                  "aside: small type (8.0 < 0.9 \xC3\x97 body 11.0) low on the page, body goes "
                  "on above"},
        TraceCase{"ColumnOrder",
                  {TextBlock("Lower left", 72, 400) + TextBlock("Right", 320, 100) +
                   TextBlock("Upper left", 72, 100)},
                  "Upper left runs on, line 1 of 5",
                  "read column by column: poppler's block 3 of the page, read as block 1"},
        TraceCase{
            "Float",
            {CutParagraph(72, 500) + Column(320, 100, 12, {"Figure 1: A caption."}, 9) +
             Column(320, 160, 14, {"so it ends."})},
            "Figure 1: A caption.",
            "float: size 9.0 beside 11.0 (by more than 0.5) where a paragraph reads on past a "
            "column or page, read after it"},
        TraceCase{"StandsAlone",
                  {Column(72, 100, 14, {"Page split", "Reading order found by rules"})},
                  "Reading order found by rules",
                  "new line: the line before left room (108.0) for this one's first word (46.3) "
                  "and 1 em, and this one starts like a capital at its indent"},
        TraceCase{"ReadsOnIntoTheNextColumn", FootnotePage(), "umn and ends.",
                  "reads on across the break: no clause end, next starts small"},
        TraceCase{"BoldHeadingRunIn", BoldRunInPage(), "Sample efficiency We explore it.",
                  "heading run in: its first 2 words are bold (at most 8), a line of their own"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Pdf, ReadsParagraphsAcrossPagesAndColumnsWithoutFurniture) {
    std::vector<fixtures::PdfPage> pages(3);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        pages[i].texts = {{72, 760, "Journal of Things, page " + number}, {300, 30, number}};
    }
    pages[0].texts.insert(pages[0].texts.end(), {{72, 700, "Left column has an exam-"},
                                                 {72, 686, "ple, and Jean-"},
                                                 {72, 672, "Paul."},
                                                 {320, 700, "Right column"},
                                                 {320, 686, "goes on to the"}});
    pages[1].texts.push_back({72, 700, "next page."});
    pages[2].texts.push_back({72, 700, "Third page."});
    const ExtractResult result = ExtractDocument(fixtures::PdfBytes(pages), "a.pdf");
    ASSERT_EQ(result.status, ExtractExit::Ok);
    EXPECT_EQ(Lines(result.text),
              (LinesList{"Left column has an example, and Jean-Paul.",
                         "Right column goes on to the next page.", "Third page."}));
}

// The same shapes in a PDF read by poppler, through the whole path: a figure's caption at the
// next column's top, a list whose bullets are drawn, a title above its authors.
struct PdfShapeCase {
    const char* name;
    std::vector<fixtures::PdfText> texts;  // one page
    LinesList lines;
};

class PdfShapes : public testing::TestWithParam<PdfShapeCase> {};

TEST_P(PdfShapes, ReadAsAPersonWould) {
    fixtures::PdfPage page;
    page.texts = GetParam().texts;
    const ExtractResult result = ExtractDocument(fixtures::PdfBytes({page}), "shape.pdf");
    ASSERT_EQ(result.status, ExtractExit::Ok);
    EXPECT_EQ(Lines(result.text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PdfShapes,
    testing::Values(
        PdfShapeCase{"CaptionAtTheNextColumnsTop",
                     {{72, 700, "The first line of the text runs"},
                      {72, 686, "on and on down the left column"},
                      {72, 672, "until it breaks off at the foot"},
                      {72, 658, "of the column in the middle of"},
                      {320, 700, "Figure 1: A caption.", 9},
                      {320, 670, "the sentence, which ends here."}},
                     {"The first line of the text runs on and on down the left column until it "
                      "breaks off at the foot of the column in the middle of the sentence, which "
                      "ends here.",
                      "Figure 1: A caption."}},
        PdfShapeCase{"ListWithoutBullets",
                     {{72, 700, "Zone classification"},
                      {72, 686, "Page split"},
                      {72, 672, "Reading order found by rules"}},
                     {"Zone classification", "Page split", "Reading order found by rules"}},
        PdfShapeCase{"TitleAboveItsAuthors",
                     {{72, 720, "A Title of Some Length Here", 16},
                      {72, 700, "Ann Author and Bob Writer", 13}},
                     {"A Title of Some Length Here", "Ann Author and Bob Writer"}},
        // A heading in bold run into its paragraph's first line is a line of its own; bold
        // words of a sentence (at a line's start or inside it) are emphasis and stay.
        PdfShapeCase{"BoldHeadingRunIntoItsParagraph",
                     {{72, 700, "The part before ends."},
                      {72, 686, "Sample efficiency", 12, true},
                      {190, 686, "We explore how many examples"},
                      {72, 672, "are needed to reach a good score."}},
                     {"The part before ends.", "Sample efficiency",
                      "We explore how many examples are needed to reach a good score."}},
        PdfShapeCase{"BoldWordsOfASentenceStay",
                     {{72, 700, "Of the three methods in our tests we found that"},
                      {72, 686, "Dense", 12, true},
                      {120, 686, "Retrieval is the"},
                      {220, 686, "best", 12, true},
                      {255, 686, "of them."}},
                     {"Of the three methods in our tests we found that Dense Retrieval is the best "
                      "of them."}},
        // A line in bold between lines of the text, though it starts at the text's margin and
        // the paragraph after it is set in: a heading, a line of its own.
        PdfShapeCase{"BoldLineBetweenBodyLines",
                     {{72, 700, "The first part of the text goes on and on to its end here."},
                      {72, 686, "Results", 12, true},
                      {90, 672, "We explore how many of the examples we need to"},
                      {72, 658, "reach a good score on the task at hand."}},
                     {"The first part of the text goes on and on to its end here.", "Results",
                      "We explore how many of the examples we need to reach a good score on the "
                      "task at hand."}},
        // A caption's label in bold is no heading: the caption reads on after it.
        PdfShapeCase{"BoldCaptionLabelStays",
                     {{72, 700, "Figure 2.", 12, true},
                      {140, 700, "State machine of the tracer and its"},
                      {72, 686, "transitions."}},
                     {"Figure 2. State machine of the tracer and its transitions."}}),
    [](const auto& p) { return std::string(p.param.name); });

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
    if (bytes.empty() && !fixtures::kQpdfFixtures) {
        GTEST_SKIP() << "no qpdf to write this fixture";
    }
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
