#include "engine/text_shape.h"

#include <algorithm>

namespace lexaro {

namespace {

// Places the box may wrap a line without breaking a word. Other break opportunities (after a
// hyphen, between ideographs) are left out: a run is then counted as longer than it is, which only
// makes the box wrap anywhere a little sooner.
constexpr bool IsWrapSpace(char16_t ch) noexcept {
    return ch == u' ' || ch == u'\t' || ch == kLineSeparator || ch == u'\u3000' ||
           (ch >= u'\u2000' && ch <= u'\u200B');
}

}  // namespace

TextShape MeasureTextShape(std::u16string_view text) noexcept {
    TextShape shape;
    std::size_t line = 0;
    std::size_t run = 0;
    bool first = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (IsBoxLineBreak(ch)) {
            if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            shape.longestLine = std::max(shape.longestLine, line);
            if (first) {
                shape.firstLine = line;
                first = false;
            }
            ++shape.lines;
            line = 0;
            run = 0;
            continue;
        }
        ++line;
        run = IsWrapSpace(ch) ? 0 : run + 1;
        shape.longestRun = std::max(shape.longestRun, run);
    }
    shape.longestLine = std::max(shape.longestLine, line);
    shape.lastLine = line;
    if (first) {
        shape.firstLine = line;
    }
    return shape;
}

ShapeVerdict JudgeTextShape(const TextShape& shape) noexcept {
    // A loaded text starts with a line break of its own; its empty first line is not counted.
    if (shape.lines > kMaxTextLines + 1) {
        return ShapeVerdict::TooManyLines;
    }
    if (shape.longestLine > kMaxLineUnits) {
        return ShapeVerdict::LineTooLong;
    }
    return ShapeVerdict::Fits;
}

ShapeVerdict JudgePaste(const TextShape& pasted, std::size_t pastedUnits,
                        const TextShape& boxAfter) noexcept {
    if (pasted.lines > kMaxPastedLines) {
        return ShapeVerdict::PasteTooManyLines;
    }
    if (pastedUnits > kMaxPastedUnits) {
        return ShapeVerdict::PasteTooLong;
    }
    return JudgeTextShape(boxAfter);
}

TextShape ShapeAfterInsert(const TextShape& inserted, std::size_t boxLines, std::size_t lineBefore,
                           std::size_t lineAfter) noexcept {
    TextShape shape = inserted;
    shape.lines = boxLines + inserted.lines - 1;
    if (inserted.lines == 1) {
        shape.firstLine = shape.lastLine = lineBefore + inserted.firstLine + lineAfter;
    } else {
        shape.firstLine = lineBefore + inserted.firstLine;
        shape.lastLine = inserted.lastLine + lineAfter;
    }
    shape.longestLine = std::max({inserted.longestLine, shape.firstLine, shape.lastLine});
    return shape;
}

std::size_t WholeLinesEnd(std::u16string_view text, std::size_t from, std::size_t maxUnits,
                          std::size_t maxLines) noexcept {
    std::size_t lastEnd = from;  // just after the last line break taken
    std::size_t lines = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (!IsBoxLineBreak(text[i])) {
            continue;
        }
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
        }
        if (i + 1 - from > maxUnits && lastEnd > from) {
            return lastEnd;
        }
        lastEnd = i + 1;
        if (++lines == maxLines || lastEnd - from >= maxUnits) {
            return lastEnd;
        }
    }
    return text.size() - from > maxUnits && lastEnd > from ? lastEnd : text.size();
}

}  // namespace lexaro
