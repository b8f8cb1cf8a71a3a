// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The bytes of an HTML or XHTML page as UTF-8, decoded as a browser decodes them (the WHATWG
// encoding rules, simplified where no real page differs):
//
//   1. a byte order mark (UTF-8, UTF-16 LE or BE) decides;
//   2. else the charset the page declares in its first 1024 bytes: <meta charset>,
//      <meta http-equiv="Content-Type" content="...; charset=...">, or an XML declaration's
//      encoding, read with the labels browsers use: gb2312 and gbk mean GB18030, iso-8859-1 and
//      us-ascii mean windows-1252, shift_jis means Windows-31J, euc-kr means Windows-949, ...;
//   3. else, or for a label nobody knows: UTF-8 if all of the page is well-formed UTF-8, and
//      Windows-1252 if not (as a text file is read).
//
// Bytes the charset cannot decode become U+FFFD and decoding goes on: a page never ends early
// or comes out empty because of a bad byte or a wrong label.

#include <string>
#include <string_view>

namespace lexaro::documents {

[[nodiscard]] std::string HtmlAsUtf8(std::string_view bytes);

// `bytes` in `charset` (a converter name, as CharsetOfLabel gives) as UTF-8, each byte the charset
// cannot decode as U+FFFD; read as Windows-1252 when the converter has no such charset. For the
// readers of formats that name their own code page (RTF).
[[nodiscard]] std::string CharsetAsUtf8(std::string_view bytes, const std::string& charset);

// The converter name (for iconv) a charset label stands for, as browsers read labels: "UTF-8",
// "windows-1252", "GB18030", ...; empty for no label. A label nobody knows comes back as it is
// (lower case), for the converter to refuse. For tests.
[[nodiscard]] std::string CharsetOfLabel(std::string_view label);

}  // namespace lexaro::documents
