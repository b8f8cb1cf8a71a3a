#include "engine/palette.h"

#include <gtest/gtest.h>

#include "engine/font_size.h"

namespace lexaro {
namespace {

TEST(Palette, NamesAndColoursFollowPaletteOrder) {
    struct Entry {
        std::u16string_view name;
        Rgb rgb;
    };
    const Entry expected[kPaletteSize] = {{u"Black", {0, 0, 0}},
                                          {u"Blue", {0, 0, 128}},
                                          {u"Green", {0, 128, 0}},
                                          {u"Cyan", {0, 128, 128}},
                                          {u"Red", {128, 0, 0}},
                                          {u"Magenta", {128, 0, 128}},
                                          {u"Yellow", {128, 128, 0}},
                                          {u"White", {192, 192, 192}},
                                          {u"Gray", {128, 128, 128}},
                                          {u"Light Blue", {0, 0, 255}},
                                          {u"Light Green", {0, 255, 0}},
                                          {u"Light Cyan", {0, 255, 255}},
                                          {u"Light Red", {255, 0, 0}},
                                          {u"Light Magenta", {255, 0, 255}},
                                          {u"Light Yellow", {255, 255, 0}},
                                          {u"Bright White", {255, 255, 255}}};
    for (int i = 0; i < kPaletteSize; ++i) {
        EXPECT_EQ(ColourNames()[static_cast<std::size_t>(i)], expected[i].name) << i;
        EXPECT_EQ(ColourIndexOf(expected[i].name), i);
        EXPECT_TRUE(PaletteColour(i) == expected[i].rgb) << i;
    }
}

TEST(Palette, NamesMatchExactlyAndCaseSensitively) {
    EXPECT_EQ(ColourIndexOf(u"white"), -1);
    EXPECT_EQ(ColourIndexOf(u"White "), -1);
    EXPECT_EQ(ColourIndexOf(u""), -1);
    EXPECT_TRUE(PaletteColour(16) == (Rgb{0, 0, 0}));
    EXPECT_TRUE(PaletteColour(-1) == (Rgb{0, 0, 0}));
}

TEST(Palette, ClashingEntryMovesForwardUntilTheLastTwoWhichMoveBack) {
    const int expected[kPaletteSize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 13, 14};
    for (int i = 0; i < kPaletteSize; ++i) {
        EXPECT_EQ(SameColourNeighbour(i, kPaletteSize), expected[i]) << i;
    }
}

TEST(FontSize, MenuStepIsRefusedWholeAtTheBounds) {
    EXPECT_EQ(SteppedFontSize(112, 8), 120);
    EXPECT_EQ(SteppedFontSize(116, 8), std::nullopt);
    EXPECT_EQ(SteppedFontSize(120, 8), std::nullopt);
    EXPECT_EQ(SteppedFontSize(16, -8), 8);
    for (int size = 8; size <= 15; ++size) {
        EXPECT_EQ(SteppedFontSize(size, -8), std::nullopt) << size;
    }
}

}  // namespace
}  // namespace lexaro
