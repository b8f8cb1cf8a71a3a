#include "documents/text_sink.h"

#include <gtest/gtest.h>

#include <vector>

namespace lexaro::documents {
namespace {

// Pieces are appended in order; "\n" alone stands for endLine.
struct SinkCase {
    const char* name;
    std::vector<std::string> pieces;
    std::string text;
};

class TextSinkShapes : public testing::TestWithParam<SinkCase> {};

TEST_P(TextSinkShapes, GivesOneCleanLinePerBlock) {
    TextSink sink;
    for (const std::string& piece : GetParam().pieces) {
        if (piece == "\n") {
            sink.endLine();
        } else {
            sink.append(piece);
        }
    }
    EXPECT_EQ(sink.text(), GetParam().text);
}

const std::string kReplacement = "\uFFFD";

INSTANTIATE_TEST_SUITE_P(
    Cases, TextSinkShapes,
    testing::Values(
        SinkCase{"CollapsesAndTrims", {"  a \t\r\n b  ", "  c ", "\n", " d"}, "a b c\nd"},
        SinkCase{"NoEmptyLines", {"\n", "\n", "a", "\n", "   ", "\n", "\n", "b", "\n"}, "a\nb"},
        SinkCase{"KeepsNoBreakSpace", {"a\u00A0\u00A0b"}, "a\u00A0\u00A0b"},
        // A word of nothing but such spaces would show as a blank word.
        SinkCase{"GluingSpaceAtWordEdgesIsPlain",
                 {"\u00A0", "\n", "a \u00A0 b\u2009", "\u3000", "\n", "\u202F", "c\u00A0", "d"},
                 "a b\nc\u00A0d"},
        SinkCase{"ControlsAndSeparatorsAreSpace",
                 {std::string("a\0b\x7F", 4) + "c\u0085d\u2028e\u2029f"},
                 "a b c d e f"},
        // Each byte of a truncated or overlong form or an encoded surrogate is one error.
        SinkCase{"InvalidUtf8BecomesReplacement",
                 {"a\xFF", "b\xC3", "\xE0\x80\x80", "\xED\xA0\x80", "\U0001F600"},
                 "a" + kReplacement + "b" + kReplacement + kReplacement + kReplacement +
                     kReplacement + kReplacement + kReplacement + kReplacement + "\U0001F600"},
        SinkCase{"DropsStrayByteOrderMarks", {"\uFEFFa\uFEFF", "b"}, "ab"}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace lexaro::documents
