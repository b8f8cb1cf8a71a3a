// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/html_charset.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "documents/charset_converter.h"
#include "formats/encoding.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kUtf8 = "UTF-8";
constexpr std::string_view kWindows1252 = "windows-1252";

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

// Browsers' labels for the encodings whose name is not the converter's; every other label goes
// to the converter as it stands (iso-8859-2, koi8-r, windows-1251, euc-jp, ...).
constexpr std::array<std::pair<std::string_view, std::string_view>, 47> kLabels = {{
    {"unicode-1-1-utf-8", kUtf8},
    {"unicode11utf8", kUtf8},
    {"unicode20utf8", kUtf8},
    {"utf-8", kUtf8},
    {"utf8", kUtf8},
    {"x-unicode20utf8", kUtf8},
    // A page that names UTF-16 in a declaration it could be read in is not UTF-16.
    {"utf-16", kUtf8},
    {"utf-16le", kUtf8},
    {"utf-16be", kUtf8},
    {"unicode", kUtf8},
    {"ansi_x3.4-1968", kWindows1252},
    {"ascii", kWindows1252},
    {"cp1252", kWindows1252},
    {"cp819", kWindows1252},
    {"csisolatin1", kWindows1252},
    {"ibm819", kWindows1252},
    {"iso-8859-1", kWindows1252},
    {"iso-ir-100", kWindows1252},
    {"iso8859-1", kWindows1252},
    {"iso88591", kWindows1252},
    {"iso_8859-1", kWindows1252},
    {"l1", kWindows1252},
    {"latin1", kWindows1252},
    {"us-ascii", kWindows1252},
    {"windows-1252", kWindows1252},
    {"x-cp1252", kWindows1252},
    {"chinese", "GB18030"},
    {"csgb2312", "GB18030"},
    {"gb2312", "GB18030"},
    {"gb_2312", "GB18030"},
    {"gb_2312-80", "GB18030"},
    {"gbk", "GB18030"},
    {"x-gbk", "GB18030"},
    {"big5", "BIG5-HKSCS"},
    {"cn-big5", "BIG5-HKSCS"},
    {"x-x-big5", "BIG5-HKSCS"},
    {"ms932", "WINDOWS-31J"},
    {"ms_kanji", "WINDOWS-31J"},
    {"shift-jis", "WINDOWS-31J"},
    {"shift_jis", "WINDOWS-31J"},
    {"sjis", "WINDOWS-31J"},
    {"x-sjis", "WINDOWS-31J"},
    {"euc-kr", "CP949"},
    {"korean", "CP949"},
    {"ks_c_5601-1987", "CP949"},
    {"windows-949", "CP949"},
    {"windows-874", "CP874"},
}};

// The label's value after `key` (charset, encoding) in `tag`, or empty.
std::string_view ValueAfter(std::string_view tag, std::string_view key) {
    for (std::size_t at = tag.find(key); at != std::string_view::npos; at = tag.find(key, at + 1)) {
        std::size_t i = at + key.size();
        while (i < tag.size() && IsAsciiSpace(tag[i])) {
            ++i;
        }
        if (i == tag.size() || tag[i] != '=') {
            continue;
        }
        ++i;
        while (i < tag.size() && IsAsciiSpace(tag[i])) {
            ++i;
        }
        const char quote = i < tag.size() && (tag[i] == '"' || tag[i] == '\'') ? tag[i] : '\0';
        i += quote != '\0' ? 1 : 0;
        std::size_t end = i;
        while (
            end < tag.size() && tag[end] != quote && tag[end] != ';' && tag[end] != '>' &&
            !(quote == '\0' && (IsAsciiSpace(tag[end]) || tag[end] == '"' || tag[end] == '\''))) {
            ++end;
        }
        return tag.substr(i, end - i);
    }
    return {};
}

// The label the page declares in its first 1024 bytes (lower case), or empty.
std::string DeclaredLabel(std::string_view bytes) {
    const std::string head = Lower(bytes.substr(0, 1024));
    if (head.starts_with("<?xml")) {
        const std::size_t end = head.find("?>");
        return std::string(ValueAfter(std::string_view(head).substr(0, end), "encoding"));
    }
    for (std::size_t at = head.find("<meta"); at != std::string::npos;
         at = head.find("<meta", at + 1)) {
        const std::size_t end = head.find('>', at);
        const std::string_view tag =
            std::string_view(head).substr(at, end == std::string::npos ? end : end - at);
        if (const std::string_view label = ValueAfter(tag, "charset"); !label.empty()) {
            return std::string(label);
        }
    }
    return {};
}

void AppendWindows1252(std::string_view bytes, std::string& out) {
    for (const char byte : bytes) {
        AppendUtf8(out, Windows1252Character(static_cast<unsigned char>(byte)));
    }
}

}  // namespace

std::string CharsetOfLabel(std::string_view label) {
    std::string_view trimmed = label;
    while (!trimmed.empty() && IsAsciiSpace(trimmed.front())) {
        trimmed.remove_prefix(1);
    }
    while (!trimmed.empty() && IsAsciiSpace(trimmed.back())) {
        trimmed.remove_suffix(1);
    }
    std::string lower = Lower(trimmed);
    const auto labelCharacter = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
               c == '.' || c == ':';
    };
    if (!std::all_of(lower.begin(), lower.end(), labelCharacter)) {
        return {};  // no real label; and nothing like "//IGNORE" reaches the converter
    }
    for (const auto& [name, charset] : kLabels) {
        if (lower == name) {
            return std::string(charset);
        }
    }
    return lower;
}

std::string CharsetAsUtf8(std::string_view bytes, const std::string& charset) {
    std::string out;
    if (charset == kUtf8) {
        return std::string(bytes);  // the text sink makes each malformed byte U+FFFD
    }
    if (charset != kWindows1252 && AppendConverted(charset, bytes, out)) {
        return out;
    }
    out.clear();
    AppendWindows1252(bytes, out);
    return out;
}

std::string HtmlAsUtf8(std::string_view bytes) {
    std::string out;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return std::string(bytes.substr(3));
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool little = bytes.starts_with("\xFF\xFE");
        AppendConverted(little ? "UTF-16LE" : "UTF-16BE", bytes.substr(2), out);
        return out;
    }
    const std::string charset = CharsetOfLabel(DeclaredLabel(bytes));
    if (charset == kUtf8) {
        return std::string(bytes);  // the text sink makes each malformed byte U+FFFD
    }
    // A page saved as UTF-8 under a legacy label it kept from an older copy: text in a legacy
    // charset is almost never valid UTF-8 once it holds non-ASCII bytes, so the bytes win. A page
    // of ASCII alone keeps its label (ISO-2022-JP and the like are 7-bit).
    const bool nonAscii = std::any_of(bytes.begin(), bytes.end(),
                                      [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (nonAscii && IsUtf8(bytes)) {
        return std::string(bytes);
    }
    if (charset == kWindows1252) {
        AppendWindows1252(bytes, out);
        return out;
    }
    if (!charset.empty() && AppendConverted(charset, bytes, out)) {
        return out;
    }
    out.clear();
    if (IsUtf8(bytes)) {
        return std::string(bytes);
    }
    AppendWindows1252(bytes, out);
    return out;
}

}  // namespace lexaro::documents
