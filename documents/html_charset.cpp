#include "documents/html_charset.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <utility>

#include "formats/encoding.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
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

#ifdef _WIN32
// Windows converts through its code pages: the charset's, where Windows has one.
constexpr std::array<std::pair<std::string_view, unsigned>, 39> kCodePages = {{
    {"GB18030", 54936},
    {"BIG5-HKSCS", 950},
    {"WINDOWS-31J", 932},
    {"CP949", 949},
    {"CP874", 874},
    {"euc-jp", 20932},
    {"ibm866", 866},
    {"koi8-r", 20866},
    {"koi8-u", 21866},
    {"macintosh", 10000},
    {"x-mac-cyrillic", 10007},
    {"iso-8859-2", 28592},
    {"iso-8859-3", 28593},
    {"iso-8859-4", 28594},
    {"iso-8859-5", 28595},
    {"iso-8859-6", 28596},
    {"iso-8859-7", 28597},
    {"iso-8859-8", 28598},
    {"iso-8859-9", 28599},
    {"iso-8859-13", 28603},
    {"iso-8859-15", 28605},
    {"windows-1250", 1250},
    {"windows-1251", 1251},
    {"windows-1253", 1253},
    {"windows-1254", 1254},
    {"windows-1255", 1255},
    {"windows-1256", 1256},
    {"windows-1257", 1257},
    {"windows-1258", 1258},
    {"latin2", 28592},
    {"cp1250", 1250},
    {"cp1251", 1251},
    {"cp1253", 1253},
    {"cp1254", 1254},
    {"cp1255", 1255},
    {"cp1256", 1256},
    {"cp1257", 1257},
    {"iso-2022-jp", 50220},
    {"iso-8859-8-i", 38598},
}};

void AppendUtf16(std::wstring_view wide, std::string& out) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(std::max(length, 0)));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data() + at,
                        length, nullptr, nullptr);
}

bool AppendConverted(const std::string& charset, std::string_view bytes, std::string& out) {
    const bool utf16le = charset == "UTF-16LE";
    if (utf16le || charset == "UTF-16BE") {
        std::wstring wide(bytes.size() / 2, L'\0');
        for (std::size_t i = 0; i < wide.size(); ++i) {
            const auto first = static_cast<unsigned char>(bytes[2 * i]);
            const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
            wide[i] = static_cast<wchar_t>(utf16le ? first | second << 8 : first << 8 | second);
        }
        AppendUtf16(wide, out);  // a lone surrogate becomes U+FFFD
        if (bytes.size() % 2 != 0) {
            out.append(kReplacement);
        }
        return true;
    }
    const auto page = std::find_if(kCodePages.begin(), kCodePages.end(),
                                   [&](const auto& entry) { return entry.first == charset; });
    if (page == kCodePages.end() || bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return false;
    }
    // Where GB18030 is missing (as in Wine), GBK reads all but its four-byte sequences.
    const unsigned codePage =
        page->second == 54936 && !IsValidCodePage(54936) ? 936U : page->second;
    if (!IsValidCodePage(codePage)) {
        return false;
    }
    // Without MB_ERR_INVALID_CHARS, bytes the code page cannot decode come out as its default
    // character (U+FFFD for most) and decoding goes on.
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    AppendUtf16(wide, out);
    return true;
}
#else
// `bytes` in `charset` as UTF-8, each undecodable byte as U+FFFD; false when the converter has no
// such charset.
bool AppendConverted(const std::string& charset, std::string_view bytes, std::string& out) {
    iconv_t converter = iconv_open("UTF-8", charset.c_str());
    if (reinterpret_cast<std::intptr_t>(converter) == -1) {
        return false;
    }
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::array<char, 16384> buffer{};
    for (;;) {
        char* written = buffer.data();
        std::size_t room = buffer.size();
        const std::size_t result = inLeft > 0 ? iconv(converter, &in, &inLeft, &written, &room)
                                              : iconv(converter, nullptr, nullptr, &written, &room);
        const int error = errno;
        out.append(buffer.data(), static_cast<std::size_t>(written - buffer.data()));
        if (result != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) {
                break;  // the final call above has returned the shift state to the initial one
            }
            continue;
        }
        if (error == E2BIG) {
            continue;
        }
        // An invalid or cut-off sequence: one byte becomes U+FFFD, and on from the next.
        out.append(kReplacement);
        ++in;
        --inLeft;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    return true;
}
#endif

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
