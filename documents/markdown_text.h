#pragma once
// A Markdown file as its reader sees it rendered (CommonMark, through libcmark): no markup, no
// link targets, no code fences. Every block (paragraph, heading, list item, quoted paragraph,
// line of a code block) is a line; soft line breaks are spaces, hard ones new lines; raw HTML
// blocks are read as HTML; thematic breaks and image descriptions are left out. The bytes are
// decoded as the text-file loader decodes them; a file holding NUL is NotSupported.

#include <string_view>

#include "documents/text_sink.h"
#include "formats/extract_protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit MarkdownText(std::string_view bytes, TextSink& sink);

}  // namespace lexaro::documents
