#pragma once
// The display's 16-colour palette and its colour names.
//
// The colour lists show the names in palette order, so a list position is a palette index. The
// same-colour rule keeps the text and background lists apart: a list whose choice equals the other
// list's moves to a neighbouring entry.

#include <array>
#include <cstdint>
#include <string_view>

namespace lexaro {

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;

    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr int kPaletteSize = 16;

inline constexpr int kPaletteBlack = 0;
inline constexpr int kPaletteWhite = 7;

// The colour names, palette index order.
[[nodiscard]] const std::array<std::u16string_view, kPaletteSize>& ColourNames() noexcept;

// Palette index of a name, compared exactly and case-sensitively; -1 when no name matches.
[[nodiscard]] int ColourIndexOf(std::u16string_view name) noexcept;

// RGB of a palette index; an index outside 0..15 gives black.
[[nodiscard]] Rgb PaletteColour(int index) noexcept;

// Where a list moves when its choice clashes with the other list: one entry on while the next
// entry is not the list's last, otherwise one entry back. So of sixteen entries, 0 to 13 move
// forward and 14 and 15 move back.
[[nodiscard]] constexpr int SameColourNeighbour(int listIndex, int listCount) noexcept {
    return listIndex + 1 < listCount - 1 ? listIndex + 1 : listIndex - 1;
}

}  // namespace lexaro
