#include <gtest/gtest.h>

#include "documents/extract.h"
#include "tests/documents/test_support.h"

namespace lexaro::documents {
namespace {

struct MarkdownCase {
    const char* name;
    std::string markdown;
    LinesList lines;
};

class Markdown : public testing::TestWithParam<MarkdownCase> {};

TEST_P(Markdown, GivesTheRenderedText) {
    const ExtractResult result = ExtractDocument(GetParam().markdown, "notes.md");
    ASSERT_EQ(result.status, ExtractExit::Ok);
    EXPECT_EQ(Lines(result.text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Markdown,
    testing::Values(
        MarkdownCase{"Inline",
                     "# Title *here*\n\nSome **bold** [link](http://x.example) `co de`\n"
                     "soft break  \nhard break\n",
                     {"Title here", "Some bold link co de soft break", "hard break"}},
        MarkdownCase{"Blocks",
                     "- one\n- two\n\n> quoted\n> text\n\n---\n\n```c\nint a;\n\nint b;\n```\n",
                     {"one", "two", "quoted text", "int a;", "int b;"}},
        MarkdownCase{"ImagesAndHtml",
                     "![alt text](a.png) after\n\n<div>raw <b>html</b></div>\n",
                     {"after", "raw html"}},
        MarkdownCase{"Windows1252Bytes",
                     "caf\xE9 \x93quoted\x94",
                     {"caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D"}},
        MarkdownCase{"Utf16", std::string("\xFF\xFE#\0 \0h\0i\0", 10), {"hi"}},
        // GitHub's Markdown: a table row is a line of its cells; no pipes, dashes or markers.
        MarkdownCase{
            "GitHubTables",
            "| Name | Years |\n| --- | ---: |\n| Ann | 2006\u20132026 |\n| Bo Li | 2014 |\n",
            {"Name Years", "Ann 2006\u20132026", "Bo Li 2014"}},
        MarkdownCase{"StrikethroughTasksAndAutolinks",
                     "- [x] ~~old~~ new\n- [ ] www.example.org\n",
                     {"old new", "www.example.org"}},
        // A note is a word of its own where it is referred to; its text ends the document, in
        // the order of first reference, on a line that starts with the same number.
        MarkdownCase{"FootnotesAsNumberedNotes",
                     "First[^b] and second[^a], first again[^b].\n\n[^a]: Note A.\n"
                     "[^b]: Note B\n    goes on.\n\nLast paragraph.\n",
                     {"First [1] and second [2], first again [1].", "Last paragraph.",
                      "[1] Note B goes on.", "[2] Note A."}},
        // Front matter is only keys between fences on the very first line; all else is text.
        MarkdownCase{"BreakOverTextIsNoFrontMatter",
                     "---\nA line: with a colon\n---\n\nText.\n",
                     {"A line: with a colon", "Text."}},
        MarkdownCase{
            "UnclosedFrontMatterIsText", "+++\ntitle = 1\n\nText.\n", {"+++ title = 1", "Text."}},
        MarkdownCase{
            "FrontMatterOnlyAtTheStart", "Text.\n\n---\ntitle: x\n---\n", {"Text.", "title: x"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(MarkdownFile, WithNulIsNotText) {
    EXPECT_EQ(ExtractDocument(std::string("a\0b", 3), "x.markdown").status,
              ExtractExit::NotSupported);
}

}  // namespace
}  // namespace lexaro::documents
