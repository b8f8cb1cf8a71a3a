#include "engine/word_stepper.h"

#include <algorithm>

#include "engine/word_normalizer.h"

namespace lexaro {

namespace {

constexpr std::int32_t kMaxHold = 2;

std::int32_t ClampedLength(std::u16string_view text) {
    return static_cast<std::int32_t>(std::min(text.size(), kMaxTextUnits));
}

char16_t At(std::u16string_view text, std::int32_t i) {
    return text[static_cast<std::size_t>(i)];
}

// Whether a space stands at or after `from`. Searched from both ends at once, so the cost is
// bounded by the distance to the next space and by the length of the space-free tail, whichever
// is shorter.
bool HasSpaceFrom(std::u16string_view text, std::int32_t from, std::int32_t length) {
    for (std::int32_t front = from, back = length - 1; front <= back; ++front, --back) {
        if (At(text, front) == u' ' || At(text, back) == u' ') {
            return true;
        }
    }
    return false;
}

template <typename SpaceFollows>
WordStep Step(std::u16string_view text, std::int32_t& intReadPos, std::int32_t& intPauseTicks,
              SpaceFollows spaceFollows) {
    if (intPauseTicks > 0) {
        intPauseTicks = std::min(intPauseTicks, kMaxHold) - 1;
        return WordStep{true, {}, 0, 0, false};
    }
    intPauseTicks = 0;

    const std::int32_t length = ClampedLength(text);
    const std::int32_t start = std::clamp(intReadPos, std::int32_t{0}, length);

    // One scan finds the nearer separator: the first space, or the CR of the first CR LF pair.
    // Stopping there keeps the cost to the word itself, however long the rest of the text is.
    std::int32_t separator = -1;
    for (std::int32_t i = start; i < length; ++i) {
        const char16_t ch = At(text, i);
        if (ch == u' ') {
            separator = i;
            break;
        }
        if (ch == u'\r' && i + 1 < length && At(text, i + 1) == u'\n') {
            // A line break ends the word only when a space follows somewhere after it; without
            // one the rest of the text is the last word, line breaks included.
            if (spaceFollows(i + 2, length)) {
                separator = i;
            }
            break;
        }
    }

    const auto word = [&](std::int32_t count) {
        return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
    };
    WordStep step{false, {}, start, 0, false};
    std::int32_t consumed = 0;
    if (separator < 0) {
        // The rest of the text, which may be megabytes: the caption keeps what the display can
        // show of it (see ShownCaption), and the hold is read from the whole.
        step.lngSelLength = length - start;
        const std::u16string_view rest = word(step.lngSelLength);
        const std::size_t breaks = std::min(rest.find_first_not_of(u"\r\n"), rest.size());
        step.strCaption.assign(rest.substr(0, breaks + kMaxShownCaptionUnits + 1));
        intPauseTicks = HoldTicksAfter(rest);
        consumed = length;
    } else {
        step.lngSelLength = separator - start;
        step.strCaption = NormalizeWord(word(step.lngSelLength));
        intPauseTicks = HoldTicksAfter(step.strCaption);
        consumed = separator + 1;
    }

    if (consumed == length) {
        intReadPos = 0;
        step.blnEndOfText = true;
    } else {
        intReadPos = consumed;
    }
    return step;
}

}  // namespace

std::int32_t HoldTicksAfter(std::u16string_view caption) {
    const std::size_t last = caption.find_last_not_of(u' ');
    if (last == std::u16string_view::npos) {
        return 0;
    }
    switch (caption[last]) {
        case u',':
        case u';':
        case u'-':
            return 1;
        case u'.':
        case u'?':
        case u'!':
            return 2;
        default:
            return 0;
    }
}

std::int32_t LastSpaceIndex(std::u16string_view text) {
    const std::size_t last = text.substr(0, kMaxTextUnits).rfind(u' ');
    return last == std::u16string_view::npos ? -1 : static_cast<std::int32_t>(last);
}

WordStep StepWord(std::u16string_view text, std::int32_t& intReadPos, std::int32_t& intPauseTicks) {
    return Step(text, intReadPos, intPauseTicks, [text](std::int32_t from, std::int32_t length) {
        return HasSpaceFrom(text, from, length);
    });
}

WordStep StepWord(std::u16string_view text, std::int32_t& intReadPos, std::int32_t& intPauseTicks,
                  std::int32_t lastSpace) {
    return Step(
        text, intReadPos, intPauseTicks,
        [lastSpace](std::int32_t from, std::int32_t /*length*/) { return lastSpace >= from; });
}

std::u16string_view ShownCaption(std::u16string_view caption) {
    const std::size_t first = caption.find_first_not_of(u"\r\n");
    if (first == std::u16string_view::npos) {
        return {};
    }
    caption.remove_prefix(first);
    if (caption.size() <= kMaxShownCaptionUnits) {
        return caption;
    }
    std::size_t end = kMaxShownCaptionUnits;
    if (caption[end - 1] >= 0xD800 && caption[end - 1] <= 0xDBFF) {
        --end;  // the pair's high half goes with its low half
    }
    return caption.substr(0, end);
}

}  // namespace lexaro
