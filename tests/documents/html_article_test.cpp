#include <gtest/gtest.h>

#include <string>

#include "documents/extract.h"
#include "documents/html_text.h"
#include "tests/documents/test_support.h"

namespace lexaro::documents {
namespace {

// Paragraphs long enough to be running text.
const std::string kStorm1 =
    "The storm that crossed the coast on Tuesday night closed the harbour for the first time in "
    "eleven years, leaving the ferries tied up and the fishing fleet at anchor in the bay.";
const std::string kStorm2 =
    "Harbour master Ines Alvarez said the gates would stay shut until the swell fell below two "
    "metres, which the forecasters did not expect before the weekend at the earliest.";
const std::string kStorm3 =
    "Traders at the fish market, who had stocked up on ice for the holiday week, said they "
    "would lose most of what they had bought if the boats stayed in for more than three days.";
const std::string kStorm4 =
    "The last closure, in the winter of 2013, lasted five days and cost the town's ferry company "
    "more than it earned from its summer crossings that year, its accounts show.";

std::string Menu(int items) {
    std::string menu = "<nav><ul>";
    for (int i = 0; i < items; ++i) {
        menu += "<li><a href=\"/section" + std::to_string(i) + "\">Section number " +
                std::to_string(i) + "</a></li>";
    }
    return menu + "</ul></nav>";
}

const std::string kNewsPage =
    "<html><head><title>Storm Closes the Harbour - The Daily Courier</title></head><body>"
    "<header><a href=\"/\">The Daily Courier</a>" +
    Menu(12) +
    "</header><div class=\"columns\"><div class=\"story-column\"><article>"
    "<h1>Storm Closes the Harbour</h1><button>Listen to this story</button><p>" +
    kStorm1 + "</p><p>" + kStorm2 +
    "</p><div class=\"share-tools\"><a href=\"/fb\">Share on Facebook</a> "
    "<a href=\"/tw\">Share on Twitter</a> <a href=\"/mail\">Email this story</a></div><p>" +
    kStorm3 + "</p><p>" + kStorm4 +
    "</p><h3>More on this story</h3><ul><li><a href=\"/g\">Tide tables for the week</a></li>"
    "<li><a href=\"/h\">Live: the storm hour by hour</a></li><li><a href=\"/i\">Map of the "
    "closed roads</a></li></ul></article><form class=\"newsletter\"><p>Get the morning briefing in "
    "your inbox every "
    "day.</p><input type=\"email\"><button>Sign up</button></form>"
    "<div class=\"related-stories\"><h2>Related</h2><ul>"
    "<li><a href=\"/a\">Ferry company counts the cost of a lost week</a></li>"
    "<li><a href=\"/b\">Why the harbour gates were built in 1972</a></li>"
    "<li><a href=\"/c\">Photos: the bay after the storm</a></li></ul></div></div>"
    "<div class=\"rail\"><h2>Most read</h2><ol>"
    "<li><a href=\"/d\">Council approves the new bridge after a decade of talks</a></li>"
    "<li><a href=\"/e\">The ten best walks along the northern cliffs this winter</a></li>"
    "<li><a href=\"/f\">Local bakery wins national prize for its sourdough loaf</a></li>"
    "</ol></div></div><footer><p>Copyright The Daily Courier. All rights reserved. Terms of "
    "use, privacy policy, cookie settings, contact the newsroom.</p></footer></body></html>";

// A wiki's article: the title outside the text, edit links beside the headings, and notes
// whose back links are a caret or letters ("^ a b").
const std::string kWikiPage =
    "<html><head><title>Harbour - Wikipedia</title></head><body>"
    "<div id=\"mw-navigation\"><h2>Navigation menu</h2>" +
    Menu(15) +
    "</div><div id=\"content\"><h1 id=\"firstHeading\">Harbour</h1><div id=\"bodyContent\">"
    "<div id=\"mw-content-text\"><p>" +
    kStorm1 +
    "<sup id=\"cite_ref-1\" class=\"reference\"><a href=\"#cite_note-1\">[1]</a></sup></p>"
    "<h2><span class=\"mw-headline\">History</span><span class=\"mw-editsection\">"
    "<span>[</span><a href=\"/edit?s=1\">edit</a><span>]</span></span></h2><p>" +
    kStorm2 + R"(<sup id="cite_ref-a_2-0" class="reference"><a href="#cite_note-a-2">[2]</a>)" +
    "</sup></p><p>" + kStorm3 +
    "<sup id=\"cite_ref-a_2-1\" class=\"reference\"><a "
    "href=\"#cite_note-a-2\">[2]</a></sup></p><p>" +
    kStorm4 +
    "</p>"
    "<h2><span class=\"mw-headline\">References</span><span class=\"mw-editsection\">[<a "
    "href=\"/edit?s=2\">edit</a>]</span></h2><ol class=\"references\">"
    "<li id=\"cite_note-1\"><span class=\"mw-cite-backlink\"><b><a href=\"#cite_ref-1\">^</a>"
    "</b></span> <span class=\"reference-text\">Smith, Jane. Harbours. 1990.</span></li>"
    "<li id=\"cite_note-a-2\"><span class=\"mw-cite-backlink\">^ <a href=\"#cite_ref-a_2-0\">"
    "<sup><i><b>a</b></i></sup></a> <a href=\"#cite_ref-a_2-1\"><sup><i><b>b</b></i></sup></a>"
    "</span> <span class=\"reference-text\">Jones, Kim. Ports of the world. 2001.</span></li>"
    "</ol></div></div></div><div id=\"footer\"><ul><li>This page was last edited on 1 May.</li>"
    "<li><a href=\"/privacy\">Privacy policy</a></li><li><a href=\"/about\">About</a></li>"
    "</ul></div></body></html>";

// A document (a standard, a book's chapter): nearly all running text, a small menu.
const std::string kDocumentPage =
    "<html><head><title>Harbour Rules</title></head><body><nav><a href=\"/\">Home</a> <a "
    "href=\"/next\">Next chapter</a></nav><h1>Chapter 3. Harbour Rules</h1><h2>3.1 Gates<span "
    "class=\"mw-editsection\">[<a href=\"/edit\">edit</a>]</span></h2><p>" +
    kStorm1 + "</p><p>" + kStorm2 + "</p><h2>3.2 Trade</h2><p>" + kStorm3 + "</p><p>" + kStorm1 +
    "</p></body></html>";

struct ArticleCase {
    const char* name;
    std::string html;
    HtmlView view;
    LinesList lines;
};

class HtmlArticleCases : public testing::TestWithParam<ArticleCase> {};

TEST_P(HtmlArticleCases, ReadsWhatAReaderViewShows) {
    TextSink sink;
    ASSERT_EQ(HtmlText(GetParam().html, sink, GetParam().view), ExtractExit::Ok);
    EXPECT_EQ(Lines(sink.text()), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HtmlArticleCases,
    testing::Values(
        // The <h1> is in the article: read there, not once more as a title.
        ArticleCase{"NewsPageGivesItsArticle",
                    kNewsPage,
                    HtmlView::Article,
                    {"Storm Closes the Harbour", kStorm1, kStorm2, kStorm3, kStorm4}},
        ArticleCase{"WikiPageWithoutEditLinksAndBackLinks",
                    kWikiPage,
                    HtmlView::Article,
                    {"Harbour", kStorm1 + " [1]", "History", kStorm2 + " [2]", kStorm3 + " [2]",
                     kStorm4, "References", "[1] Smith, Jane. Harbours. 1990.",
                     "[2] Jones, Kim. Ports of the world. 2001."}},
        // Readers' letters below the story, in no element named for them; the title, which
        // the story's heading says, read once.
        ArticleCase{"PagesOwnArticleEndsIt",
                    "<html><head><title>Harbour closed | Courier</title></head><body>" + Menu(12) +
                        "<div><article><h2>Harbour closed</h2><p>" + kStorm1 + "</p><p>" + kStorm2 +
                        "</p><p>" + kStorm3 + "</p><p>" + kStorm4 +
                        "</p></article><div><h3>Letters</h3><p>" + kStorm4 +
                        "</p></div></div></body></html>",
                    HtmlView::Article,
                    {"Harbour closed", kStorm1, kStorm2, kStorm3, kStorm4}},
        // Some sites wrap the whole page in one form.
        ArticleCase{"PageInAFormGivesItsArticle",
                    "<html><body><form id=\"page\">" + Menu(12) + "<div id=\"story\"><p>" +
                        kStorm1 + "</p><p>" + kStorm2 + "</p><p>" + kStorm3 + "</p><p>" + kStorm4 +
                        "</p></div><form><p>Your e-mail address, for our newsletter</p>"
                        "</form></form></body></html>",
                    HtmlView::Article,
                    {kStorm1, kStorm2, kStorm3, kStorm4}},
        // A name is about its last word: "with-sidebar" around the story is no sidebar (it
        // holds running text), "story-footer" is a footer.
        ArticleCase{"NamesTellByTheirLastWord",
                    "<html><body>" + Menu(12) + "<div class=\"with-sidebar\"><div><p>" + kStorm1 +
                        "</p><p>" + kStorm2 + "</p><p>" + kStorm3 + "</p><p>" + kStorm4 +
                        "</p><div class=\"story-footer\">Filed under weather</div></div>"
                        "</div></body></html>",
                    HtmlView::Article,
                    {kStorm1, kStorm2, kStorm3, kStorm4}},
        ArticleCase{"DocumentIsReadWhole",
                    kDocumentPage,
                    HtmlView::Article,
                    {"Home Next chapter", "Chapter 3. Harbour Rules", "3.1 Gates", kStorm1, kStorm2,
                     "3.2 Trade", kStorm3, kStorm1}},
        ArticleCase{"PageWithoutRunningTextIsReadWhole",
                    "<html><body><nav><a href=\"/a\">One</a></nav><p>A short note.</p>"
                    "<ul><li>milk</li><li>bread</li></ul></body></html>",
                    HtmlView::Article,
                    {"One", "A short note.", "milk", "bread"}},
        // An EPUB's chapter is read whole, whatever it looks like.
        ArticleCase{"ChapterViewKeepsEverything",
                    "<html><body><div class=\"sidebar\"><p>Aside</p></div><article><p>" + kStorm1 +
                        "</p><p>" + kStorm2 + "</p><p>" + kStorm3 +
                        "</p></article><div class=\"comments\"><p>First!</p></div></body></html>",
                    HtmlView::Page,
                    {"Aside", kStorm1, kStorm2, kStorm3, "First!"}}),
    [](const auto& p) { return std::string(p.param.name); });

// A .html file opened on its own gets the reader's view, even with the article nested far
// deeper than any stack would take.
TEST(HtmlArticle, DeepArticleOfAFileIsFound) {
    std::string html = "<html><body>" + Menu(12);
    for (int i = 0; i < 100'000; ++i) {
        html += "<div>";
    }
    html +=
        "<p>" + kStorm1 + "</p><p>" + kStorm2 + "</p><p>" + kStorm3 + "</p><p>" + kStorm4 + "</p>";
    for (int i = 0; i < 100'000; ++i) {
        html += "</div>";
    }
    html += "<div class=\"comments\"><p>" + kStorm1 + "</p></div></body></html>";
    const ExtractResult result = ExtractDocument(html, "deep.html");
    ASSERT_EQ(result.status, ExtractExit::Ok);
    EXPECT_EQ(Lines(result.text), (LinesList{kStorm1, kStorm2, kStorm3, kStorm4}));
}

}  // namespace
}  // namespace lexaro::documents
