#include <gtest/gtest.h>

#include <filesystem>

#include "documents/docx_text.h"
#include "documents/extract.h"
#include "documents/odt_text.h"
#include "tests/documents/fixtures.h"
#include "tests/documents/test_support.h"

namespace lexaro::documents {
namespace {

struct OfficeCase {
    const char* name;
    std::string bytes;
    LinesList lines;
};

class OfficeDocuments : public testing::TestWithParam<OfficeCase> {};

const std::string kMathNs =
    "xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\"";

// word/footnotes.xml or endnotes.xml: Word's separator note, then note `id` with its own mark.
std::string WordNotes(const std::string& kind, const std::string& id, const std::string& text) {
    const std::string ns =
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    return "<w:" + kind + "s " + ns + "><w:" + kind +
           " w:type=\"separator\" w:id=\"-1\"><w:p><w:r>" +
           "<w:separator/></w:r></w:p></w:" + kind + "><w:" + kind + " w:id=\"" + id +
           "\"><w:p><w:r><w:" + kind + "Ref/></w:r><w:r><w:t xml:space=\"preserve\"> " + text +
           "</w:t></w:r></w:p></w:" + kind + "></w:" + kind + "s>";
}

TEST_P(OfficeDocuments, GiveTheirParagraphs) {
    const ExtractResult result = ExtractDocument(GetParam().bytes, "file");
    ASSERT_EQ(result.status, ExtractExit::Ok);
    EXPECT_EQ(Lines(result.text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Odt, OfficeDocuments,
    testing::Values(
        // A formula object reads where it stands, from its MathML in the archive.
        OfficeCase{"FormulaObject",
                   fixtures::ZipBytes(
                       {{"mimetype", "application/vnd.oasis.opendocument.text", false},
                        {"content.xml",
                         fixtures::OdtContentXml(
                             "<text:p>Let <draw:frame><draw:object xlink:href=\"./Object 1\" "
                             "xmlns:xlink=\"http://www.w3.org/1999/xlink\"/></draw:frame> be."
                             "</text:p>")},
                        {"Object 1/content.xml",
                         "<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><semantics><mrow>"
                         "<mi>k</mi><mo>&gt;</mo><mn>1</mn></mrow><annotation>k &gt; 1"
                         "</annotation></semantics></math>"}}),
                   {"Let k > 1 be."}},
        OfficeCase{
            "Paragraphs", fixtures::OdtBytes({"One & two", "Three"}), {"One & two", "Three"}},
        OfficeCase{"SpacesTabsBreaksSpans",
                   fixtures::OdtFromTextXml(
                       "<text:h>Head</text:h><text:p>a<text:s text:c=\"2000000000\"/>b<text:tab/>c"
                       "<text:line-break/>d<text:span>e</text:span>f</text:p>"),
                   {"Head", "a b c", "def"}},
        OfficeCase{"ListsTablesAndFrames",
                   fixtures::OdtFromTextXml(
                       "<text:list><text:list-item><text:p>item</text:p></text:list-item>"
                       "</text:list><table:table><table:table-row><table:table-cell><text:p>cell"
                       "</text:p></table:table-cell></table:table-row></table:table><text:p>"
                       "<draw:frame><svg:title>alt</svg:title><draw:text-box><text:p>boxed"
                       "</text:p></draw:text-box></draw:frame></text:p>"),
                   {"item", "cell", "boxed"}},
        // A note is a word of its own where it stands; the notes follow the body in order.
        OfficeCase{
            "NotesAfterTheBody",
            fixtures::OdtFromTextXml(
                "<text:p>Some text<text:note text:note-class=\"footnote\"><text:note-citation>"
                "1</text:note-citation><text:note-body><text:p>Foot text</text:p><text:p>"
                "more</text:p></text:note-body></text:note> with notes<text:note "
                "text:note-class=\"endnote\"><text:note-citation>i</text:note-citation>"
                "<text:note-body><text:p>End text</text:p></text:note-body></text:note>."
                "</text:p><text:p>Next</text:p>"),
            {"Some text [1] with notes [2].", "Next", "[1] Foot text", "more", "[2] End text"}},
        OfficeCase{"LeavesOutDeletionsAndComments",
                   fixtures::OdtFromTextXml(
                       "<text:tracked-changes><text:changed-region><text:deletion><text:p>gone"
                       "</text:p></text:deletion></text:changed-region></text:tracked-changes>"
                       "<text:p>kept<office:annotation><text:p>remark</text:p></office:annotation>"
                       "</text:p>"),
                   {"kept"}}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Docx, OfficeDocuments,
    testing::Values(
        OfficeCase{
            "Paragraphs", fixtures::DocxBytes({"One & two", "Three"}), {"One & two", "Three"}},
        OfficeCase{"TabsBreaksAndTables",
                   fixtures::DocxFromBodyXml(
                       "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>"
                       "<w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:cr/><w:t>d"
                       "</w:t></w:r></w:p><w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r>"
                       "</w:p></w:tc></w:tr></w:tbl>"),
                   {"a b", "c", "d", "cell"}},
        OfficeCase{"OnlyWhatWordShows",
                   fixtures::DocxFromBodyXml(
                       "<w:p><w:r><w:t>shown</w:t></w:r><w:del><w:r><w:delText>deleted"
                       "</w:delText></w:r></w:del><w:r><w:instrText>PAGE</w:instrText></w:r>"
                       "<w:r><w:rPr><w:vanish/></w:rPr><w:t>hidden</w:t></w:r>"
                       "<w:moveFrom><w:r><w:t>moved</w:t></w:r></w:moveFrom></w:p>"
                       "<w:p><w:r><mc:AlternateContent><mc:Choice><w:txbxContent><w:p><w:r><w:t>"
                       "box</w:t></w:r></w:p></w:txbxContent></mc:Choice><mc:Fallback><w:t>box"
                       "</w:t></mc:Fallback></mc:AlternateContent></w:r></w:p>"),
                   {"shown", "box"}},
        // Word's formulas: inline where they stand, a formula paragraph on a line of its own.
        OfficeCase{
            "Formulas",
            fixtures::DocxFromBodyXml(
                "<w:p><w:r><w:t xml:space=\"preserve\">So </w:t></w:r><m:oMath " + kMathNs +
                "><m:sSub><m:e><m:r><m:t>a</m:t></m:r></m:e><m:sub><m:r><m:t>0</m:t></m:r>"
                "</m:sub></m:sSub><m:r><m:t>+</m:t></m:r><m:f><m:num><m:r><m:t>1</m:t></m:r>"
                "</m:num><m:den><m:r><m:t>n+1</m:t></m:r></m:den></m:f></m:oMath><w:r><w:t "
                "xml:space=\"preserve\"> holds.</w:t></w:r></w:p><w:p><m:oMathPara " +
                kMathNs +
                "><m:oMath><m:nary><m:naryPr><m:chr m:val=\"\xE2\x88\x91\"/></m:naryPr><m:sub>"
                "<m:r><m:t>k=1</m:t></m:r></m:sub><m:sup><m:r><m:t>n</m:t></m:r></m:sup><m:e>"
                "<m:d><m:e><m:r><m:t>k</m:t></m:r></m:e></m:d></m:e></m:nary></m:oMath>"
                "</m:oMathPara></w:p>"),
            {"So a_0 + 1/(n+1) holds.", "\xE2\x88\x91_{k=1}^n (k)"}},
        // A note is a word of its own where it is referred to; the notes, footnotes and endnotes
        // alike, follow the body in the order of first reference, each starting with its number.
        OfficeCase{"FootnotesAndEndnotesAfterTheBody",
                   fixtures::ZipBytes(
                       {{"word/document.xml",
                         fixtures::DocxDocumentXml(
                             "<w:p><w:r><w:t>Text</w:t></w:r><w:r><w:endnoteReference w:id=\"4\"/>"
                             "</w:r><w:r><w:t xml:space=\"preserve\"> and more</w:t></w:r><w:r>"
                             "<w:footnoteReference w:id=\"2\"/></w:r><w:r><w:t>.</w:t></w:r></w:p>"
                             "<w:p><w:r><w:t>Again</w:t></w:r><w:r><w:endnoteReference w:id=\"4\"/>"
                             "</w:r></w:p>")},
                        {"word/footnotes.xml", WordNotes("footnote", "2", "Foot note.")},
                        {"word/endnotes.xml", WordNotes("endnote", "4", "End note.")}}),
                   {"Text [1] and more [2].", "Again [1]", "[1] End note.", "[2] Foot note."}}),
    [](const auto& p) { return std::string(p.param.name); });

std::string Nested(std::string_view open, std::string_view close, int depth) {
    std::string xml;
    for (int i = 0; i < depth; ++i) {
        xml += open;
    }
    xml += "deep";
    for (int i = 0; i < depth; ++i) {
        xml += close;
    }
    return xml;
}

// `dtd` goes after the XML declaration; `text` into a paragraph of each format.
struct HostileXmlCase {
    const char* name;
    std::string dtd;
    std::string text;
};

std::string WithDtd(std::string xml, const std::string& dtd) {
    return xml.insert(xml.find("?>") + 2, dtd);
}

class HostileXml : public testing::TestWithParam<HostileXmlCase> {};

TEST_P(HostileXml, IsDamagedInBothFormats) {
    const HostileXmlCase& c = GetParam();
    TextSink odt;
    TextSink docx;
    EXPECT_EQ(OdtContentText(
                  WithDtd(fixtures::OdtContentXml("<text:p>" + c.text + "</text:p>"), c.dtd), odt),
              ExtractExit::Damaged);
    EXPECT_EQ(DocxDocumentText(WithDtd(fixtures::DocxDocumentXml("<w:p><w:r><w:t>" + c.text +
                                                                 "</w:t></w:r></w:p>"),
                                       c.dtd),
                               docx),
              ExtractExit::Damaged);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileXml,
    testing::Values(HostileXmlCase{"Nested100000Deep", "", Nested("<x>", "</x>", 100'000)},
                    HostileXmlCase{"BillionLaughs", BillionLaughsDtd("x"), "&l9;"},
                    HostileXmlCase{"EntityWithMarkup", "<!DOCTYPE x [<!ENTITY m \"<x>m</x>\">]>",
                                   "&m;"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(OfficeXml, PlainTextEntityIsExpanded) {
    TextSink sink;
    EXPECT_EQ(OdtContentText(WithDtd(fixtures::OdtContentXml("<text:p>&name;</text:p>"),
                                     "<!DOCTYPE x [<!ENTITY name \"Lexaro\">]>"),
                             sink),
              ExtractExit::Ok);
    EXPECT_EQ(sink.text(), "Lexaro");
}

TEST(OfficeXml, ExternalEntityIsNeverRead) {
    const std::string directory = fixtures::MakeTempDirectory();
    ASSERT_TRUE(fixtures::WriteFileBytes(directory + "/secret.txt", "SECRET"));
    TextSink sink;
    EXPECT_EQ(OdtContentText(
                  WithDtd(fixtures::OdtContentXml("<text:p>&file;</text:p>"),
                          "<!DOCTYPE x [<!ENTITY file SYSTEM \"" + directory + "/secret.txt\">]>"),
                  sink),
              ExtractExit::Damaged);
    EXPECT_EQ(sink.text().find("SECRET"), std::string::npos);
    std::filesystem::remove_all(directory);
}

}  // namespace
}  // namespace lexaro::documents
