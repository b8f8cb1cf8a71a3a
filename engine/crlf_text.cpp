#include "engine/crlf_text.h"

#include <algorithm>
#include <utility>

#include "engine/word_stepper.h"

namespace lexaro {

// A document beyond kMaxTextUnits is cut where the reading engine stops looking anyway.
CrLfText::CrLfText(std::u16string_view document) {
    const auto breakCount = static_cast<std::size_t>(
        std::count_if(document.begin(), document.end(), IsDocumentLineBreak));
    text_.reserve(std::min(document.size() + breakCount, kMaxTextUnits));
    breaks_.reserve(breakCount);
    for (std::size_t i = 0; i < document.size() && text_.size() + 1 < kMaxTextUnits; ++i) {
        if (IsDocumentLineBreak(document[i])) {
            breaks_.push_back(static_cast<std::int32_t>(i));
            text_.append(u"\r\n");
        } else {
            text_.push_back(document[i]);
        }
    }
    lastSpace_ = LastSpaceIndex(text_);
}

std::optional<CrLfText> CrLfText::fromCrLfText(std::u16string& text) {
    if (text.size() >= kMaxTextUnits) {
        return std::nullopt;
    }
    CrLfText view;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            if (i + 1 == text.size() || text[i + 1] != u'\n') {
                return std::nullopt;
            }
            view.breaks_.push_back(static_cast<std::int32_t>(i - view.breaks_.size()));
            ++i;
        } else if (IsDocumentLineBreak(text[i]) || IsReservedByDocument(text[i])) {
            return std::nullopt;
        }
    }
    view.text_ = std::move(text);
    view.lastSpace_ = LastSpaceIndex(view.text_);
    return view;
}

std::int32_t CrLfText::length() const noexcept {
    return static_cast<std::int32_t>(text_.size());
}

std::int32_t CrLfText::documentLength() const noexcept {
    return length() - static_cast<std::int32_t>(breaks_.size());
}

std::int32_t CrLfText::fromDocument(std::int32_t documentPos) const {
    const std::int32_t pos = std::clamp(documentPos, std::int32_t{0}, documentLength());
    const auto before = std::lower_bound(breaks_.begin(), breaks_.end(), pos) - breaks_.begin();
    return pos + static_cast<std::int32_t>(before);
}

std::int32_t CrLfText::toDocument(std::int32_t textPos) const {
    const std::int32_t pos = std::clamp(textPos, std::int32_t{0}, length());
    // The k-th line break's CR stands at breaks_[k] + k in text(); count the CRs before pos.
    // (A hand-written binary search: std::ranges over an index view trips older clang releases.)
    std::size_t low = 0;
    std::size_t high = breaks_.size();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (breaks_[mid] + static_cast<std::int32_t>(mid) < pos) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    const auto crsBefore = static_cast<std::int32_t>(low);
    if (crsBefore > 0) {
        const auto k = static_cast<std::size_t>(crsBefore - 1);
        if (breaks_[k] + crsBefore == pos) {
            return breaks_[k] + 1;  // between CR and LF: the start of the next line
        }
    }
    return pos - crsBefore;
}

}  // namespace lexaro
