// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Decoding a legacy character set with what the platform has: iconv on POSIX
// (documents/charset_converter_posix.cpp), Windows's code pages on Windows
// (documents/charset_converter_win.cpp). For documents/html_charset.cpp.

#include <string>
#include <string_view>

namespace lexaro::documents {

// Appends `bytes` in `charset` (a converter name from CharsetOfLabel, or "UTF-16LE" / "UTF-16BE")
// to `out` as UTF-8, each undecodable byte as U+FFFD; false when the platform has no converter
// for such a charset.
bool AppendConverted(const std::string& charset, std::string_view bytes, std::string& out);

}  // namespace lexaro::documents
