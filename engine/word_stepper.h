#pragma once
// The word stepper: one timer tick of a reading.
//
// A reading has no word list. Each tick searches the current text from the read position, so the
// read position and the punctuation hold are the whole state of a reading, and an edit of the
// text between two ticks takes effect at the next tick.
//
// Words are separated by exactly two things: a space (U+0020) and a CR LF pair. A lone CR, a lone
// LF, a tab and every other code unit belong to words. Positions count UTF-16 code units.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lexaro {

// Positions are 32-bit: the engine looks at no more than this many code units of a text.
inline constexpr std::size_t kMaxTextUnits = 0x7FFF'FFFF;

struct WordStep {
    // True when the tick only counted a pending hold down; the other fields then carry nothing.
    bool blnHoldTick;
    // The text to show for this tick.
    std::u16string strCaption;
    // 0-based range to select in the text box: the word without its separator.
    std::int32_t lngSelStart;
    std::int32_t lngSelLength;
    // True when the word just taken ended the text.
    bool blnEndOfText;
};

// Takes one step of a reading of `text`.
//
// - A pending hold (intPauseTicks != 0) is counted down by one and nothing else happens.
// - Otherwise the word starting at intReadPos is taken up to the nearer of the next space and the
//   next CR LF pair. It is shown through NormalizeWord; a hold of 1 follows a word ending in
//   , ; - and a hold of 2 one ending in . ? ! (trailing spaces ignored).
// - Without a space in the rest of the text, the whole rest is the word, line breaks and all; its
//   caption stops kMaxShownCaptionUnits + 1 units after the line breaks it starts with, past what
//   any display shows, so a tick on a text of megabytes copies kilobytes.
// - After a space intReadPos points past it; after a CR LF it points at the LF, so the next word
//   begins with that LF. When the word reached the end of the text, intReadPos becomes 0 and
//   blnEndOfText is set; the hold set by that last word stays.
//
// Cost is proportional to the word taken, never to the whole text. Positions are 32-bit: texts
// up to 2^31 - 1 code units are read; anything beyond that is not looked at. A read position past
// the end (the text shrank under a paused reading) is taken as the end, so the tick ends the
// reading with an empty caption selecting nothing at the end; a negative one is taken as 0. A hold
// outside 0..2 cannot arise from this function; a negative one is taken as 0, a larger as 2.
[[nodiscard]] WordStep StepWord(std::u16string_view text, std::int32_t& intReadPos,
                                std::int32_t& intPauseTicks);

// The same step for a caller that knows where the text's last space is (-1 for none), such as a
// text box that keeps it with its cached text. Whether a line break ends a word depends on a space
// following somewhere after it; knowing the last space answers that without a search, so the cost
// stays proportional to the word even on texts of many space-free lines.
[[nodiscard]] WordStep StepWord(std::u16string_view text, std::int32_t& intReadPos,
                                std::int32_t& intPauseTicks, std::int32_t lastSpace);

// What the display shows of a caption: the caption without the line breaks (CR, LF) it starts
// with. The word after a CR LF begins with its LF; drawn as it is, it would stand on the display's
// second line, and at large sizes below the display altogether. The caption itself, as StepWord
// gives it, keeps them.
// A word longer than kMaxShownCaptionUnits is cut there (never inside a surrogate pair): far more
// than any display shows, and laying out a word of megabytes would stall the window.
inline constexpr std::size_t kMaxShownCaptionUnits = 4096;
[[nodiscard]] std::u16string_view ShownCaption(std::u16string_view caption);

// Index of the last space in `text`, or -1: the value the four-argument StepWord expects.
[[nodiscard]] std::int32_t LastSpaceIndex(std::u16string_view text);

// The hold that follows a shown caption: decided by its last character once spaces are trimmed.
[[nodiscard]] std::int32_t HoldTicksAfter(std::u16string_view caption);

}  // namespace lexaro
