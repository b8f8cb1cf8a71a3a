#include <gtest/gtest.h>

#include "documents/mobi_text.h"
#include "tests/documents/fixtures.h"
#include "tests/documents/test_support.h"

namespace lexaro::documents {
namespace {

namespace fx = lexaro::fixtures;

struct MobiCase {
    const char* name;
    fx::MobiBook book;
    LinesList lines;
};

class MobiBooks : public testing::TestWithParam<MobiCase> {};

TEST_P(MobiBooks, GiveTheirParagraphs) {
    TextSink sink;
    ASSERT_EQ(MobiText(fx::MobiBytes(GetParam().book), sink), ExtractExit::Ok);
    EXPECT_EQ(Lines(sink.text()), GetParam().lines);
}

const std::string kLong(5000, 'x');

const MobiCase kMobiCases[] = {
    {"TwoParagraphs",
     {"<html><body><p>The first paragraph.</p><mbp:pagebreak/><p>The second.</p></body></html>"},
     {"The first paragraph.", "The second."}},
    {"Windows1252Book",
     {"<html><body><p>caf\xE9 \x93quoted\x94</p></body></html>", false, 1252},
     {"caf\u00E9 \u201Cquoted\u201D"}},
    // libmobi hands over UTF-8; a declaration left in the page must not decode it again.
    {"Utf8BookDeclaringWindows1252",
     {"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
      "charset=windows-1252\"></head><body><p>caf\u00E9</p></body></html>"},
     {"caf\u00E9"}},
    {"ParagraphAcrossTextRecords",
     {"<html><body><p>start " + kLong + " end</p><p>after</p></body></html>"},
     {"start " + kLong + " end", "after"}},
    {"NoteByTheNotesRule",
     {"<html><body><p>Text<sup><a href=\"#n1\">1</a></sup> goes on.</p>"
      "<p id=\"n1\">The note.</p></body></html>"},
     {"Text [1] goes on.", "[1] The note."}},
    // Plain text: its lines stay lines, and what looks like markup is text.
    {"PalmText",
     {"First line, & <b>not</b> markup.\n\nSecond.", false, 65001, true},
     {"First line, & <b>not</b> markup.", "Second."}},
    {"Windows1252PalmText", {"caf\xE9\n", false, 65001, true}, {"caf\u00E9"}},
    {"PalmTextOfHtml",
     {"<html><body><p>One</p><p>caf\xE9</p>", false, 65001, true},
     {"One", "caf\u00E9"}},
};

INSTANTIATE_TEST_SUITE_P(Mobi, MobiBooks, testing::ValuesIn(kMobiCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct HostileMobi {
    const char* name;
    std::string bytes;
    ExtractExit status;
};

class HostileMobiBooks : public testing::TestWithParam<HostileMobi> {};

TEST_P(HostileMobiBooks, AreRefusedWithTheirReason) {
    TextSink sink;
    EXPECT_EQ(MobiText(GetParam().bytes, sink), GetParam().status);
    EXPECT_TRUE(GetParam().status == ExtractExit::Ok || sink.empty());
}

const std::string kBook = fx::MobiBytes({"<html><body><p>" + kLong + "</p></body></html>"});
constexpr std::size_t kPdbHeader = 78;

std::string GarbageAfterHeader() {
    std::string bytes = kBook;
    for (std::size_t at = kPdbHeader + std::size_t{8} * 3 + 2; at < bytes.size(); ++at) {
        bytes[at] = static_cast<char>((at * 151) ^ 0x5A);
    }
    return bytes;
}

const HostileMobi kHostileMobis[] = {
    {"Drm", fx::MobiBytes({"<p>Locked.</p>", true}), ExtractExit::DrmProtected},
    {"Empty", "", ExtractExit::Damaged},
    {"NotABook", "Just some text, not a Palm database at all.", ExtractExit::Damaged},
    {"CutInTheHeader", kBook.substr(0, 60), ExtractExit::Damaged},
    {"CutInRecordZero", kBook.substr(0, kPdbHeader + 40), ExtractExit::Damaged},
    {"CutInTheText", kBook.substr(0, kBook.size() - 2000), ExtractExit::Damaged},
    {"GarbageAfterTheHeader", GarbageAfterHeader(), ExtractExit::Damaged},
};

INSTANTIATE_TEST_SUITE_P(Mobi, HostileMobiBooks, testing::ValuesIn(kHostileMobis),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace lexaro::documents
