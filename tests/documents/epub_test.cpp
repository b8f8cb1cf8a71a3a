#include <gtest/gtest.h>

#include "documents/epub_text.h"
#include "documents/extract.h"
#include "tests/documents/fixtures.h"
#include "tests/documents/test_support.h"

namespace lexaro::documents {
namespace {

using fixtures::EpubBytes;
using fixtures::XhtmlPage;

TEST(Epub, ReadsLinearSpineItemsInOrder) {
    // File names sort the other way round from the spine, and hold spaces (percent-encoded hrefs).
    const std::string epub = EpubBytes({{"b cover.xhtml", XhtmlPage({"Cover"}), false},
                                        {"z first.xhtml", XhtmlPage({"One", "Two"})},
                                        {"a second.xhtml", XhtmlPage({"Three"})},
                                        {"m notes.xhtml", XhtmlPage({"Note"}), false}});
    const ExtractResult result = ExtractDocument(epub, "book.epub");
    ASSERT_EQ(result.status, ExtractExit::Ok);
    EXPECT_EQ(Lines(result.text), (LinesList{"One", "Two", "Three"}));
}

TEST(Epub, SpineItemUnderDrmIsEncrypted) {
    const std::string encryption =
        "<encryption xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\" "
        "xmlns:enc=\"http://www.w3.org/2001/04/xmlenc#\"><enc:EncryptedData><enc:CipherData>"
        "<enc:CipherReference URI=\"OEBPS/Text/c%201.xhtml\"/></enc:CipherData>"
        "</enc:EncryptedData></encryption>";
    const std::string epub =
        EpubBytes({{"c 1.xhtml", "\x8F\x11 noise"}}, 3, {{"META-INF/encryption.xml", encryption}});
    EXPECT_EQ(ExtractDocument(epub, "book.epub").status, ExtractExit::Encrypted);
}

struct BrokenEpubCase {
    const char* name;
    std::string bytes;
    ExtractExit status;
};

class BrokenEpubs : public testing::TestWithParam<BrokenEpubCase> {};

TEST_P(BrokenEpubs, FailWithTheirReason) {
    EXPECT_EQ(ExtractDocument(GetParam().bytes, "book.epub").status, GetParam().status);
}

std::string CutInHalf(const std::string& bytes) {
    return bytes.substr(0, bytes.size() / 2);
}

std::string BookWithOpf(const std::string& opf) {
    return fixtures::ZipBytes({{"mimetype", "application/epub+zip", false},
                               {"META-INF/container.xml",
                                "<container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:"
                                "container\"><rootfiles><rootfile full-path=\"p.opf\"/>"
                                "</rootfiles></container>"},
                               {"p.opf", opf}});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenEpubs,
    testing::Values(
        BrokenEpubCase{"CutInHalf",
                       CutInHalf(fixtures::EpubBookBytes({{std::string(5000, 'x')}, {"b"}})),
                       ExtractExit::Damaged},
        BrokenEpubCase{"NoContainer",
                       fixtures::ZipBytes({{"mimetype", "application/epub+zip", false}}),
                       ExtractExit::Damaged},
        BrokenEpubCase{"EmptySpine",
                       BookWithOpf("<package xmlns=\"http://www.idpf.org/2007/opf\"><spine/>"
                                   "</package>"),
                       ExtractExit::Damaged},
        BrokenEpubCase{
            "BillionLaughsPackage",
            BookWithOpf(BillionLaughsDtd("package") +
                        "<package xmlns=\"http://www.idpf.org/2007/opf\">&l9;</package>"),
            ExtractExit::Damaged},
        BrokenEpubCase{"OnlyImages", fixtures::EpubBytes({{"i.xhtml", "<img src='a.png'/>"}}),
                       ExtractExit::NoText}),
    [](const auto& p) { return std::string(p.param.name); });

struct HrefCase {
    const char* name;
    std::string base;
    std::string href;
    std::optional<std::string> path;
};

class Hrefs : public testing::TestWithParam<HrefCase> {};

TEST_P(Hrefs, ResolveInsideTheArchive) {
    EXPECT_EQ(ResolveHref(GetParam().base, GetParam().href), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Hrefs,
    testing::Values(HrefCase{"Relative", "OEBPS/content.opf", "Text/a.xhtml", "OEBPS/Text/a.xhtml"},
                    HrefCase{"PercentDecoded", "O/p.opf", "a%20b%C3%A9.xhtml",
                             "O/a b\xC3\xA9.xhtml"},
                    HrefCase{"DotsResolved", "O/x/p.opf", "./../T/./a.xhtml#frag", "O/T/a.xhtml"},
                    HrefCase{"ClimbingOutRefused", "O/p.opf", "../../etc/passwd", std::nullopt},
                    HrefCase{"SchemeRefused", "O/p.opf", "http://example.com/a", std::nullopt}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace lexaro::documents
