#pragma once
// The engine keeps text as UTF-16 code units (std::u16string); Qt as QString. Both hold the same
// units, so crossing over is a copy at most, never a conversion.

#include <QString>
#include <string_view>

namespace lexaro {

[[nodiscard]] inline QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A view of `text`'s units, valid while `text` lives unchanged.
[[nodiscard]] inline std::u16string_view ToView(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace lexaro
