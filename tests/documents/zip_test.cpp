#include "documents/zip_archive.h"

#include <gtest/gtest.h>

#include <functional>

#include "documents/extract.h"
#include "tests/documents/fixtures.h"

namespace lexaro::documents {
namespace {

// Archives are made when the test runs, not when the cases are listed.
struct HostileZipCase {
    const char* name;
    std::function<std::string()> bytes;
    ExtractExit status;
};

class HostileZips : public testing::TestWithParam<HostileZipCase> {};

TEST_P(HostileZips, AreRefusedWithTheirReason) {
    EXPECT_EQ(ExtractDocument(GetParam().bytes(), "file.epub").status, GetParam().status);
}

const std::vector<fixtures::ZipEntry> kEpubStart = {
    {"mimetype", "application/epub+zip", false},
    {"META-INF/container.xml",
     "<container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles><rootfile "
     "full-path=\"p.opf\"/></rootfiles></container>"},
    {"p.opf",
     "<package xmlns=\"http://www.idpf.org/2007/opf\"><manifest><item id=\"a\" href=\"a.xhtml\" "
     "media-type=\"application/xhtml+xml\"/></manifest><spine><itemref idref=\"a\"/></spine>"
     "</package>"}};

std::string CutInHalf(const std::string& bytes) {
    return bytes.substr(0, bytes.size() / 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileZips,
    testing::Values(
        // 64 MiB of spaces: below every size limit, so only the ratio check can stop it.
        HostileZipCase{
            "BombInEpub",
            [] { return fixtures::ZipBombBytes(kEpubStart, "a.xhtml", std::size_t{64} << 20); },
            ExtractExit::TooLarge},
        HostileZipCase{
            "BombInDocx",
            [] { return fixtures::ZipBombBytes({}, "word/document.xml", std::size_t{64} << 20); },
            ExtractExit::TooLarge},
        HostileZipCase{"HundredThousandEntries",
                       [] { return fixtures::ManyEntriesZipBytes(100'000); }, ExtractExit::Damaged},
        HostileZipCase{"CutInHalf",
                       [] {
                           return CutInHalf(fixtures::DocxBytes({"first", "second"}));
                       },
                       ExtractExit::Damaged},
        HostileZipCase{"UnknownZip",
                       [] {
                           return fixtures::ZipBytes({{"readme.txt", "hello"}});
                       },
                       ExtractExit::NotSupported}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ZipArchive, CountsEveryEntryReadAgainstTheTotal) {
    const std::string bytes = fixtures::ZipBytes(
        {{"a", std::string(600, 'a'), false}, {"b", std::string(600, 'b'), false}});
    ZipArchive zip(bytes, ZipLimits{.maxTotalBytes = 1000});
    ASSERT_EQ(zip.status(), ExtractExit::Ok);
    std::string out;
    EXPECT_EQ(zip.read("a", out), ExtractExit::Ok);
    EXPECT_EQ(out.size(), 600u);
    EXPECT_EQ(zip.read("b", out), ExtractExit::TooLarge);
    EXPECT_TRUE(out.empty());
}

TEST(Extract, TextPastTheLimitIsTooLarge) {
    const std::string epub = fixtures::EpubBookBytes({{std::string(600, 'a')}, {"b"}});
    EXPECT_EQ(ExtractDocument(epub, "a.epub", 600).status, ExtractExit::TooLarge);
    EXPECT_EQ(ExtractDocument(epub, "a.epub", 602).status, ExtractExit::Ok);
}

TEST(ZipArchive, CorruptEntryIsDamaged) {
    std::string bytes = fixtures::ZipBytes({{"a", std::string(4000, 'a'), false}});
    bytes[bytes.find("aaaa") + 100] = 'b';  // the stored data no longer matches its CRC
    ZipArchive zip(bytes);
    std::string out;
    EXPECT_EQ(zip.read("a", out), ExtractExit::Damaged);
}

}  // namespace
}  // namespace lexaro::documents
