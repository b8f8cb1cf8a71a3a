#include <gtest/gtest.h>

#include "documents/extract.h"
#include "documents/html_text.h"
#include "tests/documents/test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace lexaro::documents {
namespace {

struct HtmlCase {
    const char* name;
    std::string html;
    LinesList lines;
};

class HtmlTextCases : public testing::TestWithParam<HtmlCase> {};

TEST_P(HtmlTextCases, GivesWhatABrowserShows) {
#ifdef _WIN32
    // Wine has no GB18030 code page, and its GBK differs from Windows's (the euro sign, bad bytes).
    if (std::string_view(GetParam().name).find("Gb") != std::string_view::npos &&
        !IsValidCodePage(54936)) {
        GTEST_SKIP() << "no GB18030 code page";
    }
#endif
    TextSink sink;
    ASSERT_EQ(HtmlText(GetParam().html, sink), ExtractExit::Ok);
    EXPECT_EQ(Lines(sink.text()), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HtmlTextCases,
    testing::Values(
        HtmlCase{"BlocksAndBreaks",
                 "<html><body><h1>Title</h1><p>One <b>bold</b>word<br>next</p><ul><li>a</li>"
                 "<li>b</li></ul><table><tr><td>c1</td><td>c2</td></tr></table>"
                 "<div>d<div>e</div>f</div><blockquote>q</blockquote></body></html>",
                 {"Title", "One boldword", "next", "a", "b", "c1", "c2", "d", "e", "f", "q"}},
        HtmlCase{
            "LeavesOutWhatIsNotShown",
            "<html><head><title>T</title><style>p{}</style><script>var x;</script></head>"
            "<body><script>alert(1)</script><!-- note --><p>Seen<img alt=\"picture\" "
            "src=\"a.png\"></p><noscript>enable js</noscript><template><p>tpl</p></template>"
            "<p hidden>gone</p><nav hidden=\"\"><ol><li>page list</li></ol></nav></body></html>",
            {"Seen"}},
        // Charsets as browsers read their labels; a bad byte is U+FFFD and the page goes on.
        HtmlCase{"Gb2312LabelReadsAsGb18030",
                 "<meta charset=\"gb2312\"><p>\xD6\xD0\xCE\xC4\xA2\xE3\xE9\x46</p>",
                 {"\u4E2D\u6587\u20AC\u9555"}},
        HtmlCase{"BadByteInGbkGoesOn",
                 "<meta charset=gbk><p>\xD6\xD0\xFF\xCE\xC4 end</p>",
                 {"\u4E2D\uFFFD\u6587 end"}},
        HtmlCase{"BadByteInDeclaredUtf8",
                 "<meta charset=utf-8><p>a\xFF"
                 "b</p>",
                 {"a\uFFFDb"}},
        HtmlCase{"ShiftJis",
                 "<meta charset=shift_jis><p>\x93\xFA\x96\x7B\x8C\xEA</p>",
                 {"\u65E5\u672C\u8A9E"}},
        HtmlCase{"HttpEquivLatin1IsWindows1252",
                 "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">"
                 "<p>caf\xE9 \x93q\x94</p>",
                 {"caf\u00E9 \u201Cq\u201D"}},
        HtmlCase{"XmlDeclaration",
                 "<?xml version=\"1.0\" encoding=\"windows-1251\"?><html><body><p>"
                 "\xCF\xF0\xE8\xE2\xE5\xF2</p></body></html>",
                 {"\u041F\u0440\u0438\u0432\u0435\u0442"}},
        HtmlCase{
            "UnknownLabelOnUtf8", "<meta charset=\"x-nonsense\"><p>caf\xC3\xA9</p>", {"caf\u00E9"}},
        HtmlCase{"Utf16ByteOrderMark",
                 std::string("\xFF\xFE<\0p\0>\0o\0k\0 \0\xE9\0", 16),
                 {"ok \u00E9"}},
        // A note reference is a word of its own after the word it follows; an aside note goes
        // to the end of the page; every note starts with its [n] once, without its back link.
        HtmlCase{"NotesAsWordsAndAfterThePage",
                 "<p>Savannah<a epub:type=\"noteref\" href=\"#n1\">1</a> grass<sup><a "
                 "href=\"#fn2\" id=\"r2\">2</a></sup>, trees<a href=\"#fn3\" id=\"r3\">[3]</a>."
                 "</p><aside epub:type=\"footnote\" id=\"n1\"><p>Plains.</p></aside><p>More.</p>"
                 "<ol><li id=\"fn2\"><p>Grass. <a href=\"#r2\">\xE2\x86\xA9</a></p></li>"
                 "<li id=\"fn3\"><p>[<a href=\"#r3\">3</a>] Trees.</p></li></ol>",
                 {"Savannah [1] grass [2], trees [3].", "More.", "[2] Grass.", "[3] Trees.",
                  "[1] Plains."}},
        // Items of a list of notes start with the number the list shows them with (unless they
        // show it themselves); items of other lists do not.
        HtmlCase{"ListedNotesNumberedByTheList",
                 "<ol><li id=\"i\">Item</li></ol><section epub:type=\"endnotes\"><ol><li "
                 "id=\"n1\"><p>40 years on.</p></li><li id=\"n2\">2 Two.</li></ol></section>"
                 "<ol reversed><li id=\"n3\" role=\"doc-endnote\">Last.</li><li>x</li></ol>",
                 {"Item", "[1] 40 years on.", "2 Two.", "x", "[2] Last."}},
        // Scripts, fractions and roots in reading order; words inside the formula keep their
        // spaces; alttext stands in for a formula with no markup of its own.
        HtmlCase{"MathMlAsText",
                 "<p>So <math><msub><mi>a</mi><mn>0</mn></msub><mo>=</mo><mfrac><mn>1</mn>"
                 "<mrow><mi>n</mi><mo>+</mo><mn>1</mn></mrow></mfrac><mtext> for all </mtext>"
                 "<msqrt><mi>x</mi></msqrt></math>, and <math alttext=\"y\"></math>.</p>"
                 "<math display=\"block\"><msup><mi>x</mi><mi>k</mi></msup><msup><mi>a</mi>"
                 "<mi>j</mi></msup><annotation>x^k a^j</annotation></math>",
                 {"So a_0 = 1/(n+1) for all \xE2\x88\x9Ax, and y.", "x^k a^j"}},
        HtmlCase{"RubyKeepsItsBaseText",
                 "<p><ruby>\xE6\xBC\xA2<rp>(</rp><rt>kan</rt><rp>)</rp>\xE5\xAD\x97<rt>ji</rt>"
                 "</ruby> read</p>",
                 {"\xE6\xBC\xA2\xE5\xAD\x97 read"}},
        HtmlCase{"DecodesEntities",
                 "<p>&amp; &lt;x&gt; caf&eacute; &#233; &#x263A; a&nbsp;b</p>",
                 {"& <x> caf\xC3\xA9 \xC3\xA9 \xE2\x98\xBA a\xC2\xA0"
                  "b"}},
        HtmlCase{"KeepsLinesOfPre",
                 "<pre>line  one\nline two\n\n  three</pre>after",
                 {"line one", "line two", "three", "after"}},
        HtmlCase{"XhtmlWithSelfClosingTags",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n<html "
                 "xmlns=\"http://www.w3.org/1999/xhtml\"><head><title/></head><body><p>a<br/>b</p>"
                 "<div/>c<p>d &nbsp; &#8212;</p></body></html>",
                 {"a", "b", "c", "d \xE2\x80\x94"}},
        HtmlCase{"DeclaredCharset",
                 "<html><head><meta charset=\"windows-1252\"></head><body><p>caf\xE9 \x80</p>",
                 {"caf\xC3\xA9 \xE2\x82\xAC"}},
        HtmlCase{"Windows1252WithoutDeclaration",
                 "<p>\x93q\x94 &#150; caf\xE9 \x8C\x83</p>",
                 {"\u201Cq\u201D \u2013 caf\u00E9 \u0152\u0192"}},
        HtmlCase{"Utf8WithoutDeclaration", "<p>caf\xC3\xA9</p>", {"caf\xC3\xA9"}}),
    [](const auto& p) { return std::string(p.param.name); });

// Far deeper than libxml2's own limit (256), at which its HTML parser would silently drop the
// rest of the document; nothing may be lost and nothing may recurse.
TEST(HtmlText, DeepNestingKeepsAllText) {
    std::string html = "<html><body><p>before</p>";
    for (int i = 0; i < 100'000; ++i) {
        html += "<div><span>";
    }
    html += "deep";
    for (int i = 0; i < 100'000; ++i) {
        html += "</span></div>";
    }
    html += "<p>after</p></body></html>";
    const ExtractResult result = ExtractDocument(html, "deep.html");
    ASSERT_EQ(result.status, ExtractExit::Ok);
    EXPECT_EQ(Lines(result.text), (LinesList{"before", "deep", "after"}));
}

// The HTML parser does not expand entities declared in a document type, so this is only text.
TEST(HtmlText, BillionLaughsIsNotExpanded) {
    std::string html =
        BillionLaughsDtd("html") + "<html><body><p>&l9;</p><p>after</p></body></html>";
    const ExtractResult result = ExtractDocument(html, "laughs.html");
    ASSERT_EQ(result.status, ExtractExit::Ok);
    EXPECT_LT(result.text.size(), html.size());
    EXPECT_TRUE(result.text.ends_with("&l9;\nafter")) << result.text;
}

TEST(HtmlText, EmptyDocumentHasNoText) {
    EXPECT_EQ(ExtractDocument(" \n", "empty.html").status, ExtractExit::NoText);
}

}  // namespace
}  // namespace lexaro::documents
