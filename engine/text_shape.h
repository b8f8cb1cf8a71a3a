#pragma once
// How a text is laid out in lines, and whether the text box can take it.
//
// The box lays out each of its lines (a paragraph: the text between two line breaks) as one piece,
// and every line costs memory and time of its own. So a text is judged by its shape, not by its
// size alone: how many lines it has, how long its longest line is, and how long its longest run
// without a place to wrap is. The limits keep the box answering within half a second and within
// a few hundred megabytes whatever the shape; they were set from measurements of the box itself.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/line_breaks.h"

namespace lexaro {

// The most lines a text may have: each costs the box about 450 bytes and 3 µs to fill.
inline constexpr std::size_t kMaxTextLines = 500'000;
// The most characters (UTF-16 units) one line may have: laying it out takes about 0.3 s.
inline constexpr std::size_t kMaxLineUnits = 500'000;
// Longer runs without a space make the box wrap anywhere instead of between words: wrapping at
// word boundaries searches such a run again for every screen line, which grows with the square
// of its length (50,000 characters held the window for a third of a second).
inline constexpr std::size_t kWrapAnywhereRunUnits = 10'000;

// A paste goes into the box in one piece, in a single turn of the event loop, and costs twice what
// a load does (the box keeps it for undo): a paste is held to what it can do within half a second.
// Load, which puts a text in a piece at a time, takes the larger texts.
inline constexpr std::size_t kMaxPastedLines = 50'000;
inline constexpr std::size_t kMaxPastedUnits = 30'000'000;

struct TextShape {
    std::size_t lines = 1;        // an empty text is one empty line
    std::size_t longestLine = 0;  // UTF-16 units, line breaks not counted
    std::size_t longestRun = 0;   // UTF-16 units without a space, a tab or a line break
    std::size_t firstLine = 0;    // length of the first line
    std::size_t lastLine = 0;     // length of the last line
};

[[nodiscard]] TextShape MeasureTextShape(std::u16string_view text) noexcept;

enum class ShapeVerdict {
    Fits,
    TooManyLines,       // more than kMaxTextLines
    LineTooLong,        // a line longer than kMaxLineUnits
    PasteTooManyLines,  // a paste of more than kMaxPastedLines lines
    PasteTooLong,       // a paste of more than kMaxPastedUnits characters
};

[[nodiscard]] ShapeVerdict JudgeTextShape(const TextShape& shape) noexcept;
// Whether a paste of `pastedUnits` characters shaped `pasted` may go in, giving the box the shape
// `boxAfter` (see ShapeAfterInsert).
[[nodiscard]] ShapeVerdict JudgePaste(const TextShape& pasted, std::size_t pastedUnits,
                                      const TextShape& boxAfter) noexcept;

// The shape of the box's text after `inserted` replaces a selection, given the box's line count
// once the selection is removed and the lengths of the text before and after it on its lines.
// Only the lines it touches can grow, so this needs no pass over the rest of the box. The longest
// run is the inserted text's own: runs that join text on either side are not known here.
[[nodiscard]] TextShape ShapeAfterInsert(const TextShape& inserted, std::size_t boxLines,
                                         std::size_t lineBefore, std::size_t lineAfter) noexcept;

// Where the piece of `text` that starts at `from` ends, if it takes whole lines while it holds at
// most `maxUnits` units and `maxLines` line breaks; a line longer than `maxUnits` goes whole. Never
// between the CR and the LF of a line break, so the pieces put in one after another make the same
// lines as the whole text.
[[nodiscard]] std::size_t WholeLinesEnd(std::u16string_view text, std::size_t from,
                                        std::size_t maxUnits, std::size_t maxLines) noexcept;

}  // namespace lexaro
