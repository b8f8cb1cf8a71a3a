#include "formats/encoding.h"

#include <gtest/gtest.h>

namespace lexaro {
namespace {

// Every boundary of the UTF-8 and UTF-16 forms, through the encoders and back.
TEST(Encoding, CodePointsAtEveryBoundaryRoundTrip) {
    for (const char32_t cp : {0x00U, 0x7FU, 0x80U, 0x7FFU, 0x800U, 0xD7FFU, 0xE000U, 0xFFFDU,
                              0xFFFFU, 0x10000U, 0x10FFFFU}) {
        SCOPED_TRACE(static_cast<unsigned>(cp));
        std::string utf8;
        AppendUtf8(utf8, cp);
        char32_t decoded = 0;
        EXPECT_EQ(DecodeUtf8Sequence(utf8, decoded), utf8.size());
        EXPECT_EQ(decoded, cp);
        EXPECT_EQ(utf8.size(), cp < 0x80 ? 1U : cp < 0x800 ? 2U : cp < 0x10000 ? 3U : 4U);
        std::u16string utf16;
        AppendUtf16(utf16, cp);
        EXPECT_EQ(utf16.size(), cp < 0x10000 ? 1U : 2U);
    }
    std::u16string pair;
    AppendUtf16(pair, 0x1F600);
    EXPECT_EQ(pair, u"\U0001F600");
}

TEST(Encoding, Windows1252MapsOnlyItsOwnBytes) {
    EXPECT_EQ(Windows1252Character(0x41), u'A');
    EXPECT_EQ(Windows1252Character(0x80), u'\u20AC');
    EXPECT_EQ(Windows1252Character(0x81), u'\u0081');  // undefined: keeps its code point
    EXPECT_EQ(Windows1252Character(0x93), u'\u201C');
    EXPECT_EQ(Windows1252Character(0x9F), u'\u0178');
    EXPECT_EQ(Windows1252Character(0xA0), u'\u00A0');
    EXPECT_EQ(Windows1252Character(0xFF), u'\u00FF');
}

}  // namespace
}  // namespace lexaro
