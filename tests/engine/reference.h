#pragma once
// Slow, literal implementations to check the engine against, shared by the unit tests and the
// fuzz targets.

#include <string>
#include <string_view>

namespace lexaro::reference {

// The normalizer's two loops exactly as described: replace the first CR LF pair by a space until
// none is left, then the first doubled space by one space until none is left.
inline std::u16string NormalizeWord(std::u16string text) {
    for (std::size_t at; (at = text.find(u"\r\n")) != std::u16string::npos;) {
        text.replace(at, 2, u" ");
    }
    for (std::size_t at; (at = text.find(u"  ")) != std::u16string::npos;) {
        text.replace(at, 2, u" ");
    }
    return text;
}

// UTF-8 of one code point.
inline std::string EncodeUtf8(char32_t cp) {
    std::string out;
    const auto byte = [&out](char32_t value) { out += static_cast<char>(value); };
    if (cp < 0x80) {
        byte(cp);
    } else if (cp < 0x800) {
        byte(0xC0 | (cp >> 6));
        byte(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        byte(0xE0 | (cp >> 12));
        byte(0x80 | ((cp >> 6) & 0x3F));
        byte(0x80 | (cp & 0x3F));
    } else {
        byte(0xF0 | (cp >> 18));
        byte(0x80 | ((cp >> 12) & 0x3F));
        byte(0x80 | ((cp >> 6) & 0x3F));
        byte(0x80 | (cp & 0x3F));
    }
    return out;
}

// UTF-8 of UTF-16 text; surrogate pairs join into one code point, a lone surrogate is encoded
// as it stands (so it can never decode back as valid UTF-8).
inline std::string EncodeUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00u);
        }
        out += EncodeUtf8(cp);
    }
    return out;
}

}  // namespace lexaro::reference
