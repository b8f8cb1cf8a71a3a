#include "formats/text_file.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "tests/support/reference.h"

namespace lexaro {
namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::optional<std::u16string> characters;
};

class DecodeTextFileCases : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTextFileCases, Decodes) {
    EXPECT_EQ(DecodeTextFile(GetParam().bytes), GetParam().characters);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, DecodeTextFileCases,
    testing::Values(
        DecodeCase{"Ascii", "plain, text.", u"plain, text."},
        DecodeCase{"Utf8", "caf\xC3\xA9 \xE2\x82\xAC", u"caf\u00E9 \u20AC"},
        DecodeCase{"Utf8WithBom", "\xEF\xBB\xBFhi", u"hi"},
        DecodeCase{"Utf8SurrogatePair", "\xF0\x9F\x98\x80!", u"\U0001F600!"},
        DecodeCase{"CombiningMarkStays", "e\xCC\x81", u"e\u0301"},
        DecodeCase{"Utf16LittleEndian", std::string("\xFF\xFEh\0i\0", 6), u"hi"},
        DecodeCase{"Utf16BigEndian", std::string("\xFE\xFF\0h\0i", 6), u"hi"},
        DecodeCase{"Utf16SurrogatePair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), u"\U0001F600"},
        DecodeCase{"Utf16OddByteBecomesReplacement", std::string("\xFF\xFEh\0i", 5), u"h\uFFFD"},
        DecodeCase{"Windows1252", "\x93quoted\x94 caf\xE9 \x80",
                   u"\u201Cquoted\u201D caf\u00E9 \u20AC"},
        DecodeCase{"Windows1252UndefinedByteKept", "a\x81z", u"a\u0081z"},
        DecodeCase{"OverlongUtf8FallsBack", "\xC0\xAF", u"\u00C0\u00AF"},
        DecodeCase{"EncodedSurrogateFallsBack", "\xED\xA0\x80", u"\u00ED\u00A0\u20AC"},
        DecodeCase{"TruncatedUtf8FallsBack", "ab\xE2\x82", u"ab\u00E2\u201A"},
        DecodeCase{"BomThenInvalidUtf8", "\xEF\xBB\xBF\xE9", u"\u00E9"},
        DecodeCase{"NulIsNotText", std::string("a\0b", 3), std::nullopt},
        DecodeCase{"NulInWindows1252IsNotText", std::string("\xE9\0", 2), std::nullopt},
        DecodeCase{"NulUnitInUtf16IsNotText", std::string("\xFF\xFE\0\0", 4), std::nullopt},
        DecodeCase{"Empty", "", u""}),
    [](const auto& p) { return std::string(p.param.name); });

struct LinesCase {
    const char* name;
    std::u16string file;
    std::u16string text;
};

class LinesWithLeadingBreaksCases : public testing::TestWithParam<LinesCase> {};

TEST_P(LinesWithLeadingBreaksCases, ShapesLines) {
    EXPECT_EQ(LinesWithLeadingBreaks(GetParam().file), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, LinesWithLeadingBreaksCases,
    testing::Values(LinesCase{"CommasStayInTheLine", u"Hello, world.\r\n", u"\r\nHello, world."},
                    LinesCase{"BlankLineIsAnEmptyLine", u"one two\r\n\r\nthree\r\n",
                              u"\r\none two\r\n\r\nthree"},
                    LinesCase{"QuotesAndSpacesStay", u"  \"a, b\" \r\n", u"\r\n  \"a, b\" "},
                    LinesCase{"EmptyFile", u"", u""}, LinesCase{"NoFinalLineEnd", u"a", u"\r\na"},
                    LinesCase{"OnlyALineEnd", u"\r\n", u"\r\n"},
                    LinesCase{"LoneLfAndLoneCrEndLines", u"a\nb\rc", u"\r\na\r\nb\r\nc"},
                    LinesCase{"CrBeforeCrLf", u"\r\r\n", u"\r\n\r\n"},
                    LinesCase{"TwoFinalLineEnds", u"a\n\n", u"\r\na\r\n"},
                    LinesCase{"TabsStay", u"a\tb", u"\r\na\tb"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(DecodeTextFile, Utf8RoundTripsEveryKindOfCodePoint) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<std::uint32_t> any(1, 0x10FFFF);
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        std::u16string expected;
        for (int i = 0; i < 50; ++i) {
            char32_t cp = any(rng);
            if (cp >= 0xD800 && cp <= 0xDFFF) {
                cp = 0xFFFD;
            }
            bytes += reference::EncodeUtf8(cp);
            if (cp < 0x10000) {
                expected.push_back(static_cast<char16_t>(cp));
            } else {
                expected.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
                expected.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
            }
        }
        ASSERT_EQ(DecodeTextFile(bytes), expected);
    }
}

TEST(TextFromFileBytes, RefusesFilesAboveTheSizeCap) {
    EXPECT_EQ(TextFromFileBytes(std::string(kMaxTextFileBytes + 1, 'a')), std::nullopt);
    EXPECT_EQ(TextFromFileBytes("x\n"), u"\r\nx");
}

// Decoding in slices (so a load can be cancelled) must give exactly what one pass gives, wherever
// the slices fall: inside a UTF-8 sequence, a CR LF pair, a UTF-16 unit, or before the byte that
// shows a file is not UTF-8 after all.
class SlicedDecoding : public testing::TestWithParam<std::string> {};

TEST_P(SlicedDecoding, GivesWhatOnePassGives) {
    const std::string& bytes = GetParam();
    for (std::size_t slice = 1; slice <= bytes.size() + 1; ++slice) {
        EXPECT_EQ(TextFromFileBytes(
                      bytes, [] { return true; }, slice),
                  TextFromFileBytes(bytes))
            << "slice " << slice;
        std::string owned = bytes;  // the overload that frees the bytes gives the same
        EXPECT_EQ(TextFromFileBytes(
                      std::move(owned), [] { return true; }, slice),
                  TextFromFileBytes(bytes))
            << "slice " << slice;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SlicedDecoding,
    testing::Values(std::string("caf\xC3\xA9 \xF0\x9F\x98\x80 na\xC3\xAFve\r\nend\r"),
                    std::string("\xEF\xBB\xBFutf-8 \xE2\x82\xAC\n\nx"),
                    std::string("plain ascii then \xE9t\xE9 in Windows-1252\n"),
                    std::string("\xFF\xFEh\0i\0\r\0\n\0=\xD8\x00\xDE!", 14),
                    std::string("\xFE\xFF\0a\0\n\0b\0", 9), std::string("nul \0 inside", 12)));

TEST(SlicedDecodingStop, GivesNothingOnceAskedToStop) {
    int asked = 0;
    const std::string bytes(100, 'a');
    EXPECT_EQ(TextFromFileBytes(
                  bytes, [&] { return ++asked < 3; }, 10),
              std::nullopt);
    EXPECT_LE(asked, 4);  // it stopped at the third slice of ten, not at the end
}

}  // namespace
}  // namespace lexaro
