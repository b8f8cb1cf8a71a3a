// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Right-to-left text that a PDF page holds in visual order (as it is drawn, left to right) back in
// logical order (as it is read and typed), by ICU's inverse bidirectional algorithm.

#include <string>
#include <string_view>

namespace lexaro::documents {

// Whether `utf8` holds a letter of a right-to-left script (Hebrew, Arabic, Syriac, Thaana, N'Ko and
// the like, with their presentation forms).
[[nodiscard]] bool HasRightToLeft(std::string_view utf8);

// One line in visual order → the same line in logical order. A line without right-to-left letters,
// or one that is not valid UTF-8, comes back unchanged.
[[nodiscard]] std::string LogicalOrder(std::string_view visualLine);

}  // namespace lexaro::documents
