#include <gtest/gtest.h>

#include "documents/rtf_text.h"
#include "tests/documents/test_support.h"

namespace lexaro::documents {
namespace {

struct RtfCase {
    const char* name;
    std::string rtf;
    LinesList lines;
};

class Rtf : public testing::TestWithParam<RtfCase> {};

TEST_P(Rtf, GivesTheShownText) {
    TextSink sink;
    ASSERT_EQ(RtfText(GetParam().rtf, sink), ExtractExit::Ok);
    EXPECT_EQ(Lines(sink.text()), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rtf,
    testing::Values(
        // A control word's delimiting space is no text; tables and document information are.
        RtfCase{"Paragraphs",
                R"({\rtf1\ansi\deff0{\fonttbl{\f0\froman Times;}}{\colortbl;\red0\green0\blue0;})"
                R"({\stylesheet{\s0 Normal;}}{\info{\title T}}\pard a\b b\b0  c\par)"
                "\r\nSecond\\line line\\tab tabbed\\li-200 x\\\nNext}",
                {"ab c", "Second", "line tabbedx", "Next"}},
        // \uN is signed 16-bit, its fallback skipped by the \ucN of its group; a character
        // beyond the BMP comes as two.
        RtfCase{"Unicode",
                R"({\rtf1\uc1 caf\u233?, {\uc2\u20320\'c4\'e3}\u22909?, \u-10179?\u-8704?, )"
                R"(\u55357?x})",
                {"caf\u00e9, \u4f60\u597d, \U0001F600, \uFFFDx"}},
        // Bytes in the document's code page, or in their font's: a character of two bytes
        // stays whole.
        RtfCase{"CodePages",
                R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0 Times;}{\f1\fcharset204 Arial Cyr;})"
                R"({\f2\fcharset128 MS Mincho;}}caf\'e9 \'93q\'94 {\f1 \'ec\'e8\'f0} )"
                R"({\f2 \'93\'fa\'96\'7b}})",
                {"caf\u00e9 \u201cq\u201d \u043c\u0438\u0440 \u65e5\u672c"}},
        RtfCase{"Cyrillic",
                R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2, \'ec\'e8\'f0})",
                {"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440"}},
        RtfCase{"Symbols",
                R"({\rtf1 a\emdash b\endash c \lquote d\rquote  \ldblquote e\rdblquote  \bullet )"
                R"( f\~g co\-op non\_stop \\ \{ \}})",
                {"a\u2014b\u2013c \u2018d\u2019 \u201ce\u201d \u2022 f\u00a0g coop non-stop \\ "
                 "{ }"}},
        // What a word processor does not show; \binN skips N bytes, braces among them.
        RtfCase{"HiddenParts",
                R"({\rtf1{\header H}{\footerl F}{\*\unknown X}{\pict 01ab}{\*\shppict{\pict ff}})"
                R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}} {\v hidden}shown )"
                R"({\*\bkmkstart b}{\listtext 1.\tab}item\bin3 {}}end\bin99999999999999 xx})",
                {"link shown itemend"}},
        // A text box is a block of its own; the drawing's copy for older readers is not read.
        RtfCase{"TextBox",
                R"({\rtf1 Before {\shp{\*\shpinst{\sp{\sn shapeType}{\sv 202}}{\shptxt \pard Box)"
                R"( text\par}}{\shprslt{\*\do\dobxcolumn{\*\dptxbxtext Box text}}}}after\par})",
                {"Before", "Box text", "after"}},
        // A table row is its cells in turn, each on a line, as in the other readers.
        RtfCase{"Table",
                R"({\rtf1\trowd\cellx100\cellx200\pard\intbl A\cell B\cell\row)"
                R"(\trowd\cellx100\cellx200\pard\intbl C\cell\cell\row\pard After\par})",
                {"A", "B", "C", "After"}},
        RtfCase{
            "Footnotes",
            R"({\rtf1 Word{\super\chftn}{\footnote\pard{\super\chftn} First note.}, more)"
            R"({\super\chftn}{\*\footnote\ftnalt{\super\chftn} Second\par note.}.\par Last)"
            R"({\super\chftn}{\footnote\pard\par}\par})",
            {"Word [1], more [2].", "Last [3]", "[1] First note.", "[2] Second", "note.", "[3]"}},
        // A file cut short gives what it holds; after the document's group nothing is read.
        RtfCase{"Truncated", R"({\rtf1 Some {\b bold te)", {"Some bold te"}},
        RtfCase{"TextAfterTheEnd", R"({\rtf1 A} B)", {"A"}},
        RtfCase{"DeepButAllowed",
                R"({\rtf1)" + std::string(200, '{') + "deep" + std::string(200, '}') + "}",
                {"deep"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(RtfFile, RefusesWhatItCannotRead) {
    const std::pair<std::string, ExtractExit> cases[] = {
        {"plain text", ExtractExit::NotSupported},
        {R"({\rtf1)" + std::string(300, '{') + "bomb", ExtractExit::Damaged},
    };
    for (const auto& [rtf, status] : cases) {
        TextSink sink;
        EXPECT_EQ(RtfText(rtf, sink), status) << rtf.substr(0, 20);
    }
}

TEST(RtfFile, StopsAtTheTextLimit) {
    TextSink sink(100);
    std::string rtf = R"({\rtf1 )";
    for (int i = 0; i < 50; ++i) {
        rtf += R"(words words\par )";
    }
    ASSERT_EQ(RtfText(rtf + "}", sink), ExtractExit::Ok);
    EXPECT_TRUE(sink.overflowed());
}

}  // namespace
}  // namespace lexaro::documents
