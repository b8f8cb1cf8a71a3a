#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "documents/djvu_text.h"
#include "tests/documents/test_support.h"

namespace lexaro::documents {
namespace {

// The fixtures of data/make_djvu.sh.
std::string DjvuFixture(const std::string& name) {
    std::ifstream file(LEXARO_DOCUMENT_DATA_DIR "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

TEST(Djvu, TheTextLayerReadsAsParagraphsAcrossPages) {
    const std::string bytes = DjvuFixture("text.djvu");
    ASSERT_FALSE(bytes.empty());
    TextSink sink;
    ASSERT_EQ(DjvuText(bytes, sink), ExtractExit::Ok);
    EXPECT_EQ(Lines(sink.text()),
              LinesList({"Reading a book without example sentences goes well.",
                         "A second paragraph starts here and runs across the foot of the page "
                         "and ends on the next one."}));
}

struct BadDjvu {
    const char* name;
    std::string bytes;
    ExtractExit status;
};

class BadDjvus : public testing::TestWithParam<BadDjvu> {};

TEST_P(BadDjvus, AreRefusedWithTheirReason) {
    TextSink sink;
    EXPECT_EQ(DjvuText(GetParam().bytes, sink), GetParam().status);
    EXPECT_TRUE(sink.empty());
}

const std::string kText = DjvuFixture("text.djvu");

std::string WithGarbage() {
    std::string bytes = kText.substr(0, 16);
    for (std::size_t at = 0; at < 2000; ++at) {
        bytes += static_cast<char>((at * 151) ^ 0x5A);
    }
    return bytes;
}

const BadDjvu kBadDjvus[] = {
    {"NoTextLayer", DjvuFixture("scan.djvu"), ExtractExit::NoTextLayer},
    {"Empty", "", ExtractExit::Damaged},
    {"CutInTheHeader", kText.substr(0, 12), ExtractExit::Damaged},
    {"CutInTheDirectory", kText.substr(0, 40), ExtractExit::Damaged},
    {"CutInTheFirstPage", kText.substr(0, 200), ExtractExit::Damaged},
    {"CutInTheLastPage", kText.substr(0, kText.size() - 20), ExtractExit::Damaged},
    {"GarbageAfterTheHeader", WithGarbage(), ExtractExit::Damaged},
};

INSTANTIATE_TEST_SUITE_P(Djvu, BadDjvus, testing::ValuesIn(kBadDjvus),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace lexaro::documents
