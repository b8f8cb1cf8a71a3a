#include "formats/format_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace lexaro {
namespace {

struct SniffCase {
    const char* name;
    std::string head;
    std::string fileName;
    std::string_view key;
};

class SniffCases : public testing::TestWithParam<SniffCase> {};

TEST_P(SniffCases, FindsTheFormat) {
    EXPECT_EQ(SniffDocumentFormat(GetParam().head, GetParam().fileName).key, GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, SniffCases,
    testing::Values(
        SniffCase{"PdfByItsBytesWhateverItsName", "%PDF-1.7\n", "notes.md", "pdf"},
        SniffCase{"PdfNeedsItsBytes", "Hello", "report.pdf", "text"},
        SniffCase{"AnyZipIsOpenedByTheHelper", std::string("PK\x03\x04\x14\0", 6), "a.txt", "zip"},
        SniffCase{"HtmlByItsDoctype", "<!DOCTYPE html>\n<p>x", "page", "html"},
        SniffCase{"HtmlAfterBomAndSpaces", "\xEF\xBB\xBF \r\n<HTML lang=en>", "a.txt", "html"},
        SniffCase{"HtmlTagMustEnd", "<htmlx>", "a.txt", "text"},
        SniffCase{"HtmlMarkupBeatsAMarkdownName", "<html>", "readme.md", "html"},
        SniffCase{"HtmlByName", "plain words", "dir/Page.XHTML", "html"},
        SniffCase{"MarkdownByNameOnly", "# Title", "README.Markdown", "markdown"},
        SniffCase{"ExtensionNeedsItsDot", "# Title", "markdown", "text"},
        SniffCase{"NameIsNotAnExtension", "# Title", "notes.mdx", "text"},
        SniffCase{"MarkupPastTheSniffedBytesIsText", std::string(kSniffBytes, ' ') + "<html>",
                  "a.txt", "text"},
        SniffCase{"TiffWithANulInItsMagic", std::string("II*\0\x08\0", 6), "scan", "tiff"},
        SniffCase{"BigEndianTiffByName", std::string("MM\0*\0\0", 6), "Scan.TIF", "tiff"},
        SniffCase{"WebpInItsRiff", std::string("RIFF\x10\0\0\0WEBPVP8 ", 16), "photo", "webp"},
        SniffCase{"EmptyFile", "", "", "text"}),
    [](const testing::TestParamInfo<SniffCase>& p) { return std::string(p.param.name); });

TEST(Registry, FindsTheFormatInsideAZipByMimetypeThenByMember) {
    const auto holds = [](std::vector<std::string> members) {
        return [members](std::string_view member) {
            return std::find(members.begin(), members.end(), member) != members.end();
        };
    };
    const struct {
        std::string mimetype;
        std::vector<std::string> members;
        std::string_view key;  // empty: none
    } cases[] = {
        {"application/epub+zip", {"mimetype", "word/document.xml"}, "epub"},
        {"application/vnd.oasis.opendocument.text", {"mimetype"}, "odt"},
        {"", {"word/document.xml"}, "docx"},
        {"application/vnd.oasis.opendocument.spreadsheet", {"mimetype"}, ""},
        {"", {"xl/workbook.xml"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mimetype);
        const DocumentFormat* format = FormatInZip(c.mimetype, holds(c.members));
        EXPECT_EQ(format == nullptr ? std::string_view() : format->key, c.key);
    }
}

// Sniffing by name and the open dialog's filters need each extension to name one format; the
// helper needs a key to find a reader by.
TEST(Registry, KeysAndExtensionsNameOneFormatEach) {
    std::set<std::string_view> keys;
    std::set<std::string_view> extensions;
    for (const DocumentFormat& format : DocumentFormats()) {
        EXPECT_TRUE(keys.insert(format.key).second) << format.key;
        EXPECT_FALSE(format.extensions.empty()) << format.key;
        EXPECT_FALSE(format.mimeTypes.empty()) << format.key;
        for (const std::string_view extension : format.extensions) {
            EXPECT_TRUE(extensions.insert(extension).second) << extension;
        }
    }
    EXPECT_EQ(FindDocumentFormat("pdf")->name, "PDF");
    EXPECT_EQ(FindDocumentFormat("zip"), nullptr);  // an archive is no format of its own
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The first column of the README's format table, under "## Books and documents".
std::vector<std::string> ReadmeFormatCells() {
    std::ifstream file(LEXARO_README_PATH);
    std::vector<std::string> cells;
    std::string line;
    bool inSection = false;
    bool inTable = false;
    while (std::getline(file, line)) {
        if (line.starts_with("## ")) {
            inSection = line == "## Books and documents";
        } else if (inSection && line.starts_with("| format |")) {
            inTable = true;
        } else if (inTable && !line.starts_with("|")) {
            break;
        } else if (inTable && !line.starts_with("| ---")) {
            cells.push_back(line.substr(2, line.find(" | ") - 2));
        }
    }
    return cells;
}

// Every format has its row in the README's table naming all its extensions, and every row there
// is a format the program reads.
TEST(Registry, ReadmeTableListsEveryFormatAndNoOther) {
    const std::vector<std::string> cells = ReadmeFormatCells();
    ASSERT_FALSE(cells.empty()) << "no format table in " << LEXARO_README_PATH;
    std::vector<std::set<std::string>> extensionsOfRow(cells.size());
    for (const DocumentFormat& format : DocumentFormats()) {
        std::vector<std::size_t> rows;
        for (std::size_t row = 0; row < cells.size(); ++row) {
            if (Lower(cells[row]).find(Lower(std::string(format.name))) != std::string::npos) {
                rows.push_back(row);
            }
        }
        ASSERT_EQ(rows.size(), 1U) << "README rows naming " << format.name;
        for (const std::string_view extension : format.extensions) {
            const std::string written = "`." + std::string(extension) + "`";
            EXPECT_NE(cells[rows[0]].find(written), std::string::npos)
                << written << " in the README row " << cells[rows[0]];
            extensionsOfRow[rows[0]].insert(std::string(extension));
        }
    }
    const std::regex extensionWritten("`\\.([A-Za-z0-9.]+)`");
    for (std::size_t row = 0; row < cells.size(); ++row) {
        EXPECT_FALSE(extensionsOfRow[row].empty()) << "README row of no format: " << cells[row];
        for (std::sregex_iterator it(cells[row].begin(), cells[row].end(), extensionWritten), end;
             it != end; ++it) {
            EXPECT_TRUE(extensionsOfRow[row].contains((*it)[1].str()))
                << "README row " << cells[row] << " names ." << (*it)[1].str();
        }
    }
}

}  // namespace
}  // namespace lexaro
