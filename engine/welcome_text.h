#pragma once
// The text the main window's text box holds at start-up: seven paragraphs separated by empty
// lines, CR LF line breaks, ending with one CR LF so that its last word ends at a separator.

#include <string_view>

namespace lexaro {

[[nodiscard]] std::u16string_view WelcomeText() noexcept;

}  // namespace lexaro
