// SPDX-License-Identifier: GPL-2.0-or-later
// Legacy character sets through Windows's code pages (see charset_converter.h): the charset's
// code page, where Windows has one.
#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "documents/charset_converter.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

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

}  // namespace

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

}  // namespace lexaro::documents
