// StepWord on any text from any state: the selection lies inside the text, the caption is the
// selected characters (normalized when a separator ended the word), the state stays in range,
// both variants agree, and stepping on reaches the end of the text in bounded ticks.

#include <cstdlib>

#include "engine/word_normalizer.h"
#include "engine/word_stepper.h"
#include "fuzz/fuzz_input.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::int32_t pos = lexaro::fuzz::TakeInt32(data, size);
    std::int32_t hold = lexaro::fuzz::TakeInt32(data, size) % 4;
    const std::u16string text = lexaro::fuzz::TakeUtf16(data, size);
    const auto length = static_cast<std::int32_t>(text.size());
    const std::int32_t lastSpace = lexaro::LastSpaceIndex(text);

    // The first step from whatever state the input gives; later ones from the states it leads to.
    const std::int32_t limit = 3 * (length + 1) + 3;
    for (std::int32_t tick = 0;; ++tick) {
        Check(tick <= limit);
        const std::int32_t positionBefore = pos;
        std::int32_t otherPos = pos;
        std::int32_t otherHold = hold;
        const lexaro::WordStep step = lexaro::StepWord(text, pos, hold);
        const lexaro::WordStep indexed = lexaro::StepWord(text, otherPos, otherHold, lastSpace);
        Check(pos == otherPos && hold == otherHold);
        Check(step.strCaption == indexed.strCaption && step.blnEndOfText == indexed.blnEndOfText &&
              step.lngSelStart == indexed.lngSelStart && step.lngSelLength == indexed.lngSelLength);
        Check(hold >= 0 && hold <= 2);
        if (step.blnHoldTick) {
            Check(pos == positionBefore);  // a hold tick only counts down
        } else {
            // Whatever the position was (a text can shrink under a paused reading), a word tick
            // leaves it inside the text.
            Check(pos >= 0 && pos <= length);
            Check(step.lngSelStart >= 0 && step.lngSelLength >= 0);
            Check(step.lngSelStart <= length - step.lngSelLength);
            const std::u16string_view selected =
                std::u16string_view(text).substr(static_cast<std::size_t>(step.lngSelStart),
                                                 static_cast<std::size_t>(step.lngSelLength));
            Check(step.strCaption == selected ||
                  step.strCaption == lexaro::NormalizeWord(selected));
            const std::int32_t selEnd = step.lngSelStart + step.lngSelLength;
            if (step.blnEndOfText) {
                Check(pos == 0 && selEnd >= length - 1);
            } else {
                Check(pos == selEnd + 1 && pos < length);  // the separator is consumed
            }
        }
        if (step.blnEndOfText) {
            break;
        }
    }
    return 0;
}
