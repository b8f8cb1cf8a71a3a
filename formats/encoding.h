// SPDX-License-Identifier: MIT
#pragma once
// The character encodings every reader of text shares: strict UTF-8 decoding of one sequence,
// encoding a code point as UTF-8 or UTF-16, and Windows-1252.

#include <cstddef>
#include <string>
#include <string_view>

namespace lexaro {

// The length of the well-formed UTF-8 sequence at the front of `bytes` (1 to 4), with its code
// point in `cp`; 0 when the front is not one (or `bytes` is empty). Strict: no overlong forms,
// no surrogates, nothing above U+10FFFF.
[[nodiscard]] std::size_t DecodeUtf8Sequence(std::string_view bytes, char32_t& cp);

// Whether all of `bytes` is well-formed UTF-8 (as DecodeUtf8Sequence reads it).
[[nodiscard]] bool IsUtf8(std::string_view bytes);

// `cp` (a Unicode scalar value) appended to `out` as UTF-8 / as UTF-16.
void AppendUtf8(std::string& out, char32_t cp);
void AppendUtf16(std::u16string& out, char32_t cp);

// The character a Windows-1252 byte stands for. The five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their own code point, as Windows itself maps them, so that
// every byte stands for exactly one character.
[[nodiscard]] char16_t Windows1252Character(unsigned char byte) noexcept;

}  // namespace lexaro
