#pragma once
// Cleans a piece of text before it is shown as one word.
//
// Every CR LF pair becomes a single space, then every run of spaces shrinks to one space. A lone
// CR, a lone LF and a tab are ordinary characters and stay. The result holds no CR LF pair and no
// two adjacent spaces; a single leading or trailing space stays. Runs in time linear in the input.

#include <string>
#include <string_view>

namespace lexaro {

[[nodiscard]] std::u16string NormalizeWord(std::u16string_view text);

}  // namespace lexaro
