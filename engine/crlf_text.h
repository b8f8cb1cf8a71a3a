#pragma once
// The reading engine's view of a text box.
//
// A text box document keeps one character per line break, but the reading engine and every
// position it reports count a line break as the two characters CR LF. CrLfText is built once from
// the document's characters after each edit and then answers, in logarithmic time, how positions
// map between the two forms. That keeps a timer tick independent of the length of the text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/line_breaks.h"

namespace lexaro {

class CrLfText {
public:
    CrLfText() = default;
    // `document` is the document's characters; every line break in it becomes CR LF.
    explicit CrLfText(std::u16string_view document);

    // The view of a document made from `text`, a text whose every line break is already CR LF (as
    // a loaded file's is), kept as it is rather than built again. Nothing when `text` holds a lone
    // CR or LF, a character the document would read as a line break (U+2028, U+2029) or one it
    // reserves (U+FDD0, U+FDD1, U+FFFC), or is longer than the reading engine takes: then build
    // the view from the document instead. `text` is moved into the view when one is returned, and
    // left as it was otherwise.
    [[nodiscard]] static std::optional<CrLfText> fromCrLfText(std::u16string& text);

    // The text with CR LF line breaks.
    [[nodiscard]] const std::u16string& text() const noexcept { return text_; }
    // Index of the last space of text(), or -1: lets the word stepper skip a search.
    [[nodiscard]] std::int32_t lastSpace() const noexcept { return lastSpace_; }
    [[nodiscard]] std::int32_t length() const noexcept;
    [[nodiscard]] std::int32_t documentLength() const noexcept;

    // Position in the document to position in text(). Clamped to 0..documentLength().
    [[nodiscard]] std::int32_t fromDocument(std::int32_t documentPos) const;
    // Position in text() to position in the document. Clamped to 0..length(). The boundary
    // between the CR and the LF of a line break maps to the start of the next line.
    [[nodiscard]] std::int32_t toDocument(std::int32_t textPos) const;

private:
    std::u16string text_;
    std::vector<std::int32_t> breaks_;  // document positions of the line breaks, ascending
    std::int32_t lastSpace_ = -1;
};

}  // namespace lexaro
