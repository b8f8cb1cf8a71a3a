#pragma once
// The terms of use the About window shows: five paragraphs separated by empty lines, CR LF line
// breaks, ending with one CR LF.

#include <string_view>

namespace lexaro {

[[nodiscard]] std::u16string_view TermsOfUseText() noexcept;

}  // namespace lexaro
