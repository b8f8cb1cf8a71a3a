#include "engine/palette.h"

#include <algorithm>

namespace lexaro {

namespace {

constexpr std::array<std::u16string_view, kPaletteSize> kNames = {
    u"Black",     u"Blue",          u"Green",        u"Cyan",        u"Red",         u"Magenta",
    u"Yellow",    u"White",         u"Gray",         u"Light Blue",  u"Light Green", u"Light Cyan",
    u"Light Red", u"Light Magenta", u"Light Yellow", u"Bright White"};

constexpr std::array<Rgb, kPaletteSize> kColours = {{{0, 0, 0},
                                                     {0, 0, 128},
                                                     {0, 128, 0},
                                                     {0, 128, 128},
                                                     {128, 0, 0},
                                                     {128, 0, 128},
                                                     {128, 128, 0},
                                                     {192, 192, 192},
                                                     {128, 128, 128},
                                                     {0, 0, 255},
                                                     {0, 255, 0},
                                                     {0, 255, 255},
                                                     {255, 0, 0},
                                                     {255, 0, 255},
                                                     {255, 255, 0},
                                                     {255, 255, 255}}};

}  // namespace

const std::array<std::u16string_view, kPaletteSize>& ColourNames() noexcept {
    return kNames;
}

int ColourIndexOf(std::u16string_view name) noexcept {
    const auto* found = std::find(kNames.begin(), kNames.end(), name);
    return found == kNames.end() ? -1 : static_cast<int>(found - kNames.begin());
}

Rgb PaletteColour(int index) noexcept {
    if (index < 0 || index >= kPaletteSize) {
        return kColours[kPaletteBlack];
    }
    return kColours[static_cast<std::size_t>(index)];
}

}  // namespace lexaro
