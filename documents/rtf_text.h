// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// An RTF document: the text of its body in order, as a word processor shows it. Every paragraph
// (\par), line break, page or section break and table cell is a line; \tab is a space. Characters
// come from \uN (with its \ucN fallback skipped), and bytes (\'hh and 8-bit text) are decoded in
// the code page of their font's \fcharset, else the document's \ansicpg. What Word does not show
// is left out: font, colour, style and list tables, document information, pictures and embedded
// objects' data, headers and footers, field instructions (their results stay), hidden text (\v),
// comments, index entries, list numbers and every \* destination. A footnote or endnote is a
// word of its own, [n], where it is referred to; the notes' texts follow the body in order, each
// starting with its [n].
//
// A file not starting with "{\rtf" is NotSupported; groups nested deeper than 256 are Damaged. A
// file cut short (groups left open at its end) gives the text it holds.

#include <string_view>

#include "documents/text_sink.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit RtfText(std::string_view bytes, TextSink& sink);

}  // namespace lexaro::documents
