#pragma once
// Slow, literal implementations to check the engine and the formats against, shared by the unit
// tests and the fuzz targets.

#include <string>
#include <string_view>

#include "formats/encoding.h"

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

// UTF-8 of one code point (lone surrogates included, which the encoder writes as they stand).
inline std::string EncodeUtf8(char32_t cp) {
    std::string out;
    AppendUtf8(out, cp);
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
