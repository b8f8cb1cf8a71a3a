#include "documents/fb2_text.h"

#include <gtest/gtest.h>

#include <functional>

#include "documents/xml_tree.h"
#include "tests/documents/fixtures.h"
#include "tests/documents/test_support.h"

namespace lexaro::documents {
namespace {

std::string Book(const std::string& bodies, const std::string& encoding = "utf-8") {
    return "<?xml version='1.0' encoding='" + encoding + "'?>" +
           R"(<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" )"
           R"(xmlns:l="http://www.w3.org/1999/xlink"><description><title-info><book-title>)"
           "Metadata</book-title></title-info></description>" +
           bodies + "</FictionBook>";
}

// "Мир" and "Да" in windows-1251, and as they must come out.
constexpr const char* kMirCp1251 = "\xCC\xE8\xF0";
constexpr const char* kDaCp1251 = "\xC4\xE0";
constexpr const char* kMir = "\xD0\x9C\xD0\xB8\xD1\x80";
constexpr const char* kDa = "\xD0\x94\xD0\xB0";

const std::string kNotesBody =
    "<body name=\"notes\"><title><p>Notes</p></title><section id=\"n1\"><title><p>1</p></title>"
    "<p>First note</p></section><section id=\"n2\"><title><p>2</p></title><p>Second</p><p>lines"
    "</p></section></body>";

struct Fb2Case {
    const char* name;
    std::string bytes;
    LinesList lines;
};

class Fb2Books : public testing::TestWithParam<Fb2Case> {};

TEST_P(Fb2Books, GiveTheirBodiesInOrder) {
    TextSink sink;
    ASSERT_EQ(Fb2Text(GetParam().bytes, sink), ExtractExit::Ok);
    EXPECT_EQ(Lines(sink.text()), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Fb2Books,
    testing::Values(
        // The charset named in the declaration; the metadata and the base64 cover left out.
        Fb2Case{"Windows1251Book",
                Book(std::string("<body><title><p>") + kMirCp1251 +
                         "</p><empty-line/><p>Book</p></title><epigraph><p>" + kDaCp1251 +
                         "</p><text-author>Author</text-author></epigraph><section><title><p>"
                         "Chapter</p></title><p>Text<a l:href=\"#n1\" type=\"note\">[1]</a>, "
                         "more<a l:href=\"#n2\" type=\"note\"/>.</p><poem><title><p>Verses</p>"
                         "</title><stanza><v>One</v><v>Two</v></stanza><stanza><v>Three</v>"
                         "</stanza><text-author>Poet</text-author></poem><subtitle>Aside"
                         "</subtitle><cite><p>Quoted <image l:href=\"#c.jpg\" alt=\"alt\"/>"
                         "words</p><text-author>Quoter</text-author></cite><table><tr><th>a</th>"
                         "<th>b</th></tr><tr><td>c</td><td>d</td></tr></table></section></body>" +
                         kNotesBody +
                         "<binary id=\"c.jpg\" content-type=\"image/jpeg\">QUJDREVG"
                         "</binary>",
                     "windows-1251"),
                {kMir,           "Book",   kDa,   "Author", "Chapter", "Text [1], more [2].",
                 "Verses",       "One",    "Two", "Three",  "Poet",    "Aside",
                 "Quoted words", "Quoter", "a b", "c d",    "Notes",   "[1] First note",
                 "[2] Second",   "lines"}},
        // A link into a body of notes is a note without type="note" (also with the xlink prefix
        // undeclared, as some books have it); a note's title that is more than its number is
        // read; an ordinary link is text; a word after [n] stays apart; a note link of words keeps
        // them.
        Fb2Case{
            "NotesByLinkTargetAndTitle",
            Book("<body><section><p>See <a l:href=\"#s2\">there</a><a xlink:href=\"#c1\">{I}</a>"
                 "next<a l:href=\"#gone\" type=\"note\"/>, <a l:href=\"#c1\" type=\"note\">as "
                 "remarked above</a>.</p></section></body><body "
                 "name=\"comments\"><section><title><p>Group</p></title><section id=\"c1\">"
                 "<title><p>I</p></title><p>Remark</p></section><section><title><p>Unread "
                 "title for sure</p></title><p>Loose</p></section></section></body>"),
            {"See there [I] next [3], as remarked above [I].", "Group", "[I] Remark",
             "[2] Unread title for sure", "Loose"}}),
    [](const auto& p) { return std::string(p.param.name); });

std::string Nested(int depth) {
    std::string xml;
    for (int i = 0; i < depth; ++i) {
        xml += "<section>";
    }
    xml += "<p>deep</p>";
    for (int i = 0; i < depth; ++i) {
        xml += "</section>";
    }
    return xml;
}

const std::string kPlainBook = Book("<body><section><p>Read me</p></section></body>" + kNotesBody);

// Books made when the test runs; FB2 or, starting with "PK", FBZ.
struct RefusedCase {
    const char* name;
    std::function<std::string()> bytes;
    ExtractExit status;
};

class RefusedFb2 : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedFb2, WithTheirReason) {
    const std::string bytes = GetParam().bytes();
    TextSink sink;
    ZipArchive zip(bytes);
    EXPECT_EQ(bytes.starts_with("PK") ? Fb2ZipText(zip, sink) : Fb2Text(bytes, sink),
              GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedFb2,
    testing::Values(
        RefusedCase{"Nested100000Deep", [] { return Book("<body>" + Nested(100'000) + "</body>"); },
                    ExtractExit::Damaged},
        RefusedCase{"Truncated", [] { return kPlainBook.substr(0, kPlainBook.size() / 2); },
                    ExtractExit::Damaged},
        RefusedCase{"BillionLaughs",
                    [] {
                        std::string book = Book("<body><p>&l9;</p></body>");
                        return book.insert(book.find("?>") + 2, BillionLaughsDtd("FictionBook"));
                    },
                    ExtractExit::Damaged},
        RefusedCase{"OtherXml", [] { return std::string("<html><p>not a book</p></html>"); },
                    ExtractExit::NotSupported},
        RefusedCase{"ZipWithoutBook",
                    [] {
                        return fixtures::ZipBytes({{"book.txt", "text"}});
                    },
                    ExtractExit::NotSupported},
        RefusedCase{"ZipOfTwoBooks",
                    [] {
                        return fixtures::ZipBytes({{"a.fb2", kPlainBook}, {"b.fb2", kPlainBook}});
                    },
                    ExtractExit::NotSupported},
        RefusedCase{"ZipBomb",
                    [] { return fixtures::ZipBombBytes({}, "book.fb2", std::size_t{64} << 20); },
                    ExtractExit::TooLarge}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Fb2Zip, ReadsItsOneBook) {
    const std::string bytes =
        fixtures::ZipBytes({{"cover.jpg", "JPEG"}, {"Folder/Book.FB2", kPlainBook}});
    ZipArchive zip(bytes);
    TextSink sink;
    ASSERT_EQ(Fb2ZipText(zip, sink), ExtractExit::Ok);
    EXPECT_EQ(Lines(sink.text()),
              (LinesList{"Read me", "Notes", "[1] First note", "[2] Second", "lines"}));
}

// A book the reader decoded itself is parsed as UTF-8 whatever its declaration still names (a
// libxml2 without iconv, as on Windows, otherwise refuses a charset it does not know).
TEST(ParseXml, AGivenEncodingOverridesTheDeclaredOne) {
    const XmlDoc doc =
        ParseXml(std::string(R"(<?xml version="1.0" encoding="windows-1251"?><p>)") + kMir + "</p>",
                 "UTF-8");
    ASSERT_TRUE(doc);
    xmlChar* text = xmlNodeGetContent(xmlDocGetRootElement(doc.get()));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(text)), kMir);
    xmlFree(text);
}

}  // namespace
}  // namespace lexaro::documents
