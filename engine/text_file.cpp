#include "engine/text_file.h"

#include <array>
#include <cstdint>

namespace lexaro {

namespace {

// Windows-1252 for 0x80..0x9F; the five bytes it leaves undefined keep their own code point, as
// Windows itself maps them, so that every byte stands for exactly one character.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::uint8_t Byte(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no NUL.
// Returns nothing at the first byte that breaks these rules.
std::optional<std::u16string> DecodeUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t lead = Byte(bytes, i);
        if (lead < 0x80) {
            if (lead == 0) {
                return std::nullopt;
            }
            out.push_back(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, cp = lead & 0x1Fu, min = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, cp = lead & 0x0Fu, min = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, cp = lead & 0x07u, min = 0x10000;
        } else {
            return std::nullopt;
        }
        if (bytes.size() - i < length) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const std::uint8_t next = Byte(bytes, i + k);
            if ((next & 0xC0u) != 0x80u) {
                return std::nullopt;
            }
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return std::nullopt;
        }
        AppendCodePoint(out, cp);
        i += length;
    }
    return out;
}

std::optional<std::u16string> DecodeCp1252(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = Byte(bytes, i);
        if (b == 0) {
            return std::nullopt;
        }
        out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80u] : char16_t{b});
    }
    return out;
}

// UTF-16 code units are taken as they stand, lone surrogates included: the text box holds them
// like any other character. An odd last byte cannot be a whole unit and becomes U+FFFD.
std::optional<std::u16string> DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string out;
    out.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = Byte(bytes, i);
        const auto second = Byte(bytes, i + 1);
        const auto unit =
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
        if (unit == 0) {
            return std::nullopt;
        }
        out.push_back(unit);
    }
    if (bytes.size() % 2 != 0) {
        out.push_back(u'\uFFFD');
    }
    return out;
}

}  // namespace

std::optional<std::u16string> DecodeUtf8Text(std::string_view bytes) {
    return DecodeUtf8(bytes);
}

std::optional<std::u16string> DecodeTextFile(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        if (auto utf8 = DecodeUtf8(bytes)) {
            return utf8;
        }
        return DecodeCp1252(bytes);
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return DecodeUtf16(bytes.substr(2), false);
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return DecodeUtf16(bytes.substr(2), true);
    }
    if (auto utf8 = DecodeUtf8(bytes)) {
        return utf8;
    }
    return DecodeCp1252(bytes);
}

std::u16string LinesWithLeadingBreaks(std::u16string_view characters) {
    std::u16string out;
    if (characters.empty()) {
        return out;
    }
    out.reserve(characters.size() + 2);
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
    if (bytes.size() > kMaxTextFileBytes) {
        return std::nullopt;
    }
    const auto characters = DecodeTextFile(bytes);
    if (!characters) {
        return std::nullopt;
    }
    return LinesWithLeadingBreaks(*characters);
}

}  // namespace lexaro
