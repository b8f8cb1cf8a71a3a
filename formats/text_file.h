// SPDX-License-Identifier: MIT
#pragma once
// Turning the bytes of a text file into the text the main window's text box receives.
//
// Decoding: a UTF-8 byte order mark or UTF-16 LE / BE byte order mark says what the file is;
// without one, valid UTF-8 is read as UTF-8 and anything else as Windows-1252, so no byte is ever
// dropped. A file holding a NUL character is not a text file and is refused.
//
// Shape: every line of the file becomes CR LF followed by the line, verbatim. CR LF, a lone LF
// and a lone CR each end a line; a line end at the very end of the file starts no further line.
// So "Hello, world.\r\n" gives "\r\nHello, world.", and an empty file gives the empty text.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lexaro {

// Files above this size are refused rather than read: 256 MiB of text is far more than anyone
// reads word by word, and the limit keeps a mistaken choice (a disk image, a log of many gigabytes)
// from exhausting memory.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{256} << 20;

// The file's characters, or nothing when the bytes are not text.
[[nodiscard]] std::optional<std::u16string> DecodeTextFile(std::string_view bytes);

// Strict UTF-8 (no overlong forms, surrogates or NUL) as UTF-16, or nothing at the first fault.
// For text that must be UTF-8, such as what the document helper writes.
[[nodiscard]] std::optional<std::u16string> DecodeUtf8Text(std::string_view bytes);

// The decoded characters shaped as lines, each preceded by CR LF.
[[nodiscard]] std::u16string LinesWithLeadingBreaks(std::u16string_view characters);

// Both steps: the text a file loads as, or nothing when it is not text.
[[nodiscard]] std::optional<std::u16string> TextFromFileBytes(std::string_view bytes);

// The same, decoded a slice of about `slice` bytes at a time with `keepGoing` asked between
// slices, so that a caller can give up on a huge file within milliseconds; nothing once it
// answers false. Slicing never changes the result.
[[nodiscard]] std::optional<std::u16string> TextFromFileBytes(
    std::string_view bytes, const std::function<bool()>& keepGoing,
    std::size_t slice = std::size_t{4} << 20);
// The same, freeing `bytes` once they are decoded: a file's bytes, its characters and its lines
// are then never held all at once.
[[nodiscard]] std::optional<std::u16string> TextFromFileBytes(
    std::string&& bytes, const std::function<bool()>& keepGoing,
    std::size_t slice = std::size_t{4} << 20);

}  // namespace lexaro
