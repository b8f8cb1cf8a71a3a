// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A Markdown file as its reader sees it rendered (GitHub Flavored Markdown, through cmark-gfm): no
// markup, no link targets, no code fences. Every block (paragraph, heading, list item, quoted
// paragraph, line of a code block) is a line; soft line breaks are spaces, hard ones new lines; raw
// HTML blocks are read as HTML; thematic breaks, image descriptions and task-list boxes are left
// out. A table row is a line of its cells in order. A footnote reference is a word of its own,
// "[n]", numbered in the order of first reference; the notes end the document, each on a line
// starting with its "[n]". The bytes are decoded as the text-file loader decodes them; a file
// holding NUL is NotSupported.

#include <string_view>

#include "documents/text_sink.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit MarkdownText(std::string_view bytes, TextSink& sink);

}  // namespace lexaro::documents
