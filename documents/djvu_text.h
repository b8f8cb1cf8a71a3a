// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// DjVu books with a text layer (the hidden text an OCR program or a converter put under the page
// images), read with djvulibre's decoding library. Every page's words, with their boxes, go
// through the PDF layout (documents/pdf_lines.h), so lines become paragraphs by the same rules:
// hyphenated words joined, running heads and page numbers dropped. Pages without a text layer (a
// plain scan) are drawn and recognised (documents/ocr_text.h); a book in which neither gives a
// word is NoTextLayer. Only a document in one file (one page, or bundled) is read; an indirect one
// names other files, which the helper cannot open.

#include <string_view>

#include "documents/text_sink.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit DjvuText(std::string_view bytes, TextSink& sink);

}  // namespace lexaro::documents
