#include <gtest/gtest.h>

#include "documents/doc_text.h"
#include "tests/documents/fixtures.h"
#include "tests/documents/test_support.h"

namespace lexaro::documents {
namespace {

using fixtures::DocBytes;
using fixtures::DocPiece;
using fixtures::WordDocument97;

WordDocument97 Doc(std::vector<DocPiece> body, std::vector<std::u16string> footnotes = {},
                   std::vector<std::u16string> endnotes = {}, std::string noteKinds = {}) {
    WordDocument97 document;
    document.body = std::move(body);
    document.footnotes = std::move(footnotes);
    document.endnotes = std::move(endnotes);
    document.noteKinds = std::move(noteKinds);
    return document;
}

WordDocument97 Encrypted(std::vector<DocPiece> body) {
    WordDocument97 document = Doc(std::move(body));
    document.encrypted = true;
    return document;
}

struct DocCase {
    const char* name;
    WordDocument97 document;
    LinesList lines;
};

class WordDocuments : public testing::TestWithParam<DocCase> {};

TEST_P(WordDocuments, GiveTheirText) {
    TextSink sink;
    ASSERT_EQ(DocText(DocBytes(GetParam().document), sink), ExtractExit::Ok);
    EXPECT_EQ(Lines(sink.text()), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Doc, WordDocuments,
    testing::Values(
        // 8-bit pieces are Windows-1252 (0x92 a right quote), the others UTF-16 (a surrogate
        // pair whole), read in the order the piece table gives.
        DocCase{"MixedPieces",
                Doc({{u"Caf\u00e9 it\u0092s ", true},
                     {u"\u65e5\u672c \U0001F600 and", false},
                     {u" more\r", true}}),
                {"Café it’s 日本 😀 and more"}},
        // Of a field only its result, also of one inside another's result or instruction.
        DocCase{"FieldResults",
                Doc({{u"See \x13 HYPERLINK \"http://example.com/\" \x14the site\x15 now.\r"
                      u"\x13 IF \x13 PAGE \x14"
                      u"1\x15 = 1 \x14yes \x13 PAGE \x14"
                      u"2\x15\x15, no result\x13 TOC \x15.\r",
                      true}}),
                {"See the site now.", "yes 2, no result."}},
        // A table row a line per cell; breaks end lines; Word's hyphens; pictures dropped.
        DocCase{"TablesBreaksAndSpecials",
                Doc({{u"a\x07"
                      u"b\x07\x07"
                      u"line\x0B"
                      u"break\x0C"
                      u"column\x0E"
                      u"page\r"
                      u"non\x1E"
                      u"breaking op\x1Ftional\tpic\x01ture\x08s\r",
                      false}}),
                {"a", "b", "line", "break", "column", "page", "non-breaking optional pictures"}},
        // Text marked deleted (in 8-bit and UTF-16 pieces alike) is not read.
        DocCase{"DeletedText",
                Doc({{u"Kept ", true},
                     {u"gone ", false, true},
                     {u"here\r", true, true},
                     {u"too\r", false}}),
                {"Kept too"}},
        // A character of the Symbol font is the Unicode character it shows; one of a picture
        // font is dropped; a symbol that names a character of its own is that character.
        DocCase{"SymbolFonts",
                Doc({{u"20", true},
                     {u"(", true, false, "Symbol", 0xF0B0},
                     {u"C, ", true},
                     {u"(", true, false, "Symbol", 0xF06D},
                     {u"m ", true},
                     {u"(", true, false, "Wingdings", 0xF0E0},
                     {u" go", true},
                     {u"(", true, false, "Cambria Math", 0x2211},
                     {u"\r", true}}),
                {"20°C, μm go∑"}},
        // A deleted paragraph end joins two paragraphs, never two words.
        DocCase{"DeletedParagraphEnd",
                Doc({{u"One", true}, {u"\r", true, true}, {u"two\r", true}}),
                {"One two"}},
        // Notes numbered in the order of reference, footnotes and endnotes alike; their texts
        // after the body (and after its text boxes), in that order.
        DocCase{
            "FootnotesAndEndnotes",
            Doc({{u"One\x02 two\x02 three\x02.\r", true}}, {u"First foot.", u"Second foot."},
                {u"An end."}, "fef"),
            {"One [1] two [2] three [3].", "[1] First foot.", "[2] An end.", "[3] Second foot."}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Word6Documents, GiveTheirText) {
    TextSink sink;
    ASSERT_EQ(DocText(fixtures::Word6DocBytes("Ol\xe1 \x93mundo\x94\rBye\r"), sink),
              ExtractExit::Ok);
    EXPECT_EQ(sink.text(), "Olá “mundo”\nBye");
}

struct DocStatusCase {
    const char* name;
    std::string bytes;
    ExtractExit status;
};

class WordDocumentFailures : public testing::TestWithParam<DocStatusCase> {};

TEST_P(WordDocumentFailures, AreRefusedWithTheirReason) {
    TextSink sink;
    EXPECT_EQ(DocText(GetParam().bytes, sink), GetParam().status);
}

std::string Cut(std::string bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

// `bytes` with the first `from` replaced by `to` (of the same length).
std::string Replaced(std::string bytes, std::string_view from, std::string_view to) {
    bytes.replace(bytes.find(from), to.size(), to);
    return bytes;
}

// A piece past the end of the WordDocument stream (its offset, doubled and flagged: 0x400 * 2 |
// 0x40000000 as stored).
const std::string kPieceOutside =
    Replaced(DocBytes(Doc({{u"Hello\r", true}})), std::string_view("\x00\x08\x00\x40", 4),
             std::string_view("\x00\x00\xF0\x4F", 4));
// Pieces out of order: the first ends (at 256) after the last (at 12).
const std::string kPiecesOutOfOrder =
    Replaced(DocBytes(Doc({{u"Hello\r", true}, {u"World\r", true}})),
             std::string_view("\x00\x00\x00\x00\x06\x00\x00\x00\x0C\x00", 10),
             std::string_view("\x00\x00\x00\x00\x00\x01\x00\x00\x0C\x00", 10));

INSTANTIATE_TEST_SUITE_P(
    Doc, WordDocumentFailures,
    testing::Values(DocStatusCase{"Rtf", "{\\rtf1\\ansi Hello}", ExtractExit::NotSupported},
                    DocStatusCase{"NotAWordFile",
                                  fixtures::CompoundFileBytes({{"Workbook", "cells"}}),
                                  ExtractExit::NotSupported},
                    DocStatusCase{"EncryptedDocx",
                                  fixtures::CompoundFileBytes({{"EncryptionInfo", "keys"},
                                                               {"EncryptedPackage", "noise"}}),
                                  ExtractExit::Encrypted},
                    DocStatusCase{"Encrypted", DocBytes(Encrypted({{u"Secret\r", true}})),
                                  ExtractExit::Encrypted},
                    DocStatusCase{"Truncated", Cut(DocBytes(Doc({{u"Hello\r", true}})), 3000),
                                  ExtractExit::Damaged},
                    DocStatusCase{"TruncatedHeader", Cut(DocBytes(Doc({{u"Hello\r", true}})), 300),
                                  ExtractExit::Damaged},
                    DocStatusCase{"PieceOutsideTheStream", kPieceOutside, ExtractExit::Damaged},
                    DocStatusCase{"PiecesOutOfOrder", kPiecesOutOfOrder, ExtractExit::Damaged}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace lexaro::documents
