// SPDX-License-Identifier: MIT
#include "formats/text_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <utility>

#include "formats/encoding.h"

namespace lexaro {

namespace {

std::uint8_t Byte(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no NUL. Appends to
// `out`; false at the first byte that breaks these rules.
bool DecodeUtf8Into(std::string_view bytes, std::u16string& out) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t lead = Byte(bytes, i);
        if (lead > 0 && lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8Sequence(bytes.substr(i), cp);
        if (length == 0 || cp == 0) {
            return false;
        }
        AppendUtf16(out, cp);
        i += length;
    }
    return true;
}

bool DecodeWindows1252Into(std::string_view bytes, std::u16string& out) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = Byte(bytes, i);
        if (b == 0) {
            return false;
        }
        out.push_back(Windows1252Character(b));
    }
    return true;
}

// UTF-16 code units are taken as they stand, lone surrogates included: the text box holds them
// like any other character. An odd last byte cannot be a whole unit and becomes U+FFFD.
bool DecodeUtf16Into(std::string_view bytes, bool bigEndian, std::u16string& out) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = Byte(bytes, i);
        const auto second = Byte(bytes, i + 1);
        const auto unit =
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
        if (unit == 0) {
            return false;
        }
        out.push_back(unit);
    }
    if (bytes.size() % 2 != 0) {
        out.push_back(u'\uFFFD');
    }
    return true;
}

enum class Encoding { Utf8, Cp1252, Utf16Le, Utf16Be };

// Decodes `bytes` as `encoding` a slice at a time, asking `keepGoing` between slices. Slices end
// where a character starts (never inside a UTF-8 sequence or a UTF-16 unit), so slicing changes
// nothing in the result.
bool DecodeInSlices(std::string_view bytes, Encoding encoding, std::u16string& out,
                    const std::function<bool()>& keepGoing, std::size_t slice) {
    const bool utf16 = encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
    slice = std::max<std::size_t>(slice & ~std::size_t{1}, 2);
    out.reserve(utf16 ? bytes.size() / 2 + 1 : bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = std::min(bytes.size(), at + slice);
        while (!utf16 && end < bytes.size() && Byte(bytes, end) >= 0x80) {
            ++end;  // a UTF-8 sequence goes whole into one slice
        }
        const std::string_view piece = bytes.substr(at, end - at);
        const bool decoded = encoding == Encoding::Utf8 ? DecodeUtf8Into(piece, out)
                             : encoding == Encoding::Cp1252
                                 ? DecodeWindows1252Into(piece, out)
                                 : DecodeUtf16Into(piece, encoding == Encoding::Utf16Be, out);
        if (!decoded || (end < bytes.size() && keepGoing && !keepGoing())) {
            return false;
        }
        at = end;
    }
    return true;
}

// What the byte order mark (or its absence) says, and the bytes after it.
std::pair<Encoding, std::string_view> DetectEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return {Encoding::Utf8, bytes.substr(3)};
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return {Encoding::Utf16Le, bytes.substr(2)};
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return {Encoding::Utf16Be, bytes.substr(2)};
    }
    return {Encoding::Utf8, bytes};
}

// The file's characters, or nothing when they are not text or `keepGoing` said stop.
std::optional<std::u16string> DecodeFileInSlices(std::string_view bytes,
                                                 const std::function<bool()>& keepGoing,
                                                 std::size_t slice) {
    const auto [encoding, body] = DetectEncoding(bytes);
    std::u16string out;
    if (DecodeInSlices(body, encoding, out, keepGoing, slice)) {
        return out;
    }
    if (encoding != Encoding::Utf8 || (keepGoing && !keepGoing())) {
        return std::nullopt;
    }
    // Not UTF-8 after all: every byte is a Windows-1252 character.
    out.clear();
    if (DecodeInSlices(body, Encoding::Cp1252, out, keepGoing, slice)) {
        return out;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::u16string> DecodeUtf8Text(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    if (!DecodeUtf8Into(bytes, out)) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::u16string> DecodeTextFile(std::string_view bytes) {
    return DecodeFileInSlices(bytes, nullptr, bytes.size() + 2);
}

std::u16string LinesWithLeadingBreaks(std::u16string_view characters) {
    std::u16string out;
    if (characters.empty()) {
        return out;
    }
    // Exactly the room needed: growing by doubling held up to twice the text for a moment.
    std::size_t loneBreaks = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if ((characters[i] == u'\r' || characters[i] == u'\n') &&
            !(characters[i] == u'\r' && i + 1 < characters.size() && characters[i + 1] == u'\n')) {
            ++loneBreaks;
        }
    }
    out.reserve(characters.size() + loneBreaks + 2);
    out.append(u"\r\n");
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const char16_t ch = characters[i];
        if (ch != u'\r' && ch != u'\n') {
            out.push_back(ch);
            continue;
        }
        if (ch == u'\r' && i + 1 < characters.size() && characters[i + 1] == u'\n') {
            ++i;
        }
        if (i + 1 < characters.size()) {  // a line end at the very end starts no new line
            out.append(u"\r\n");
        }
    }
    return out;
}

std::optional<std::u16string> TextFromFileBytes(std::string_view bytes) {
    return TextFromFileBytes(bytes, nullptr);
}

namespace {

// The lines of decoded characters, unless decoding failed or the caller gave up meanwhile.
std::optional<std::u16string> LinesOfDecoded(const std::optional<std::u16string>& characters,
                                             const std::function<bool()>& keepGoing) {
    if (!characters || (keepGoing && !keepGoing())) {
        return std::nullopt;
    }
    return LinesWithLeadingBreaks(*characters);
}

}  // namespace

std::optional<std::u16string> TextFromFileBytes(std::string_view bytes,
                                                const std::function<bool()>& keepGoing,
                                                std::size_t slice) {
    if (bytes.size() > kMaxTextFileBytes) {
        return std::nullopt;
    }
    return LinesOfDecoded(DecodeFileInSlices(bytes, keepGoing, slice), keepGoing);
}

std::optional<std::u16string> TextFromFileBytes(std::string&& bytes,
                                                const std::function<bool()>& keepGoing,
                                                std::size_t slice) {
    if (bytes.size() > kMaxTextFileBytes) {
        return std::nullopt;
    }
    const auto characters = DecodeFileInSlices(bytes, keepGoing, slice);
    std::string().swap(bytes);
    return LinesOfDecoded(characters, keepGoing);
}

}  // namespace lexaro
