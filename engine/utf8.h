#pragma once
// One UTF-8 sequence, strictly: no overlong forms, no surrogates, nothing above U+10FFFF.

#include <cstddef>
#include <string_view>

namespace lexaro {

// The length of the well-formed UTF-8 sequence at the front of `bytes` (1 to 4), with its code
// point in `cp`; 0 when the front is not one (or `bytes` is empty).
[[nodiscard]] std::size_t DecodeUtf8Sequence(std::string_view bytes, char32_t& cp);

}  // namespace lexaro
