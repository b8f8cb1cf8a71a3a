// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The text layer of a PDF, through poppler: every page in reading order, a paragraph per line.
// A page without a text layer (a scan) is read by text recognition (documents/ocr_text.h), drawn
// at 300 dpi. A document that needs a password is Encrypted; one in which no page has text and
// recognition finds none is NoText; one poppler cannot load, or one cut short (no %%EOF at its
// end), is Damaged.

#include <string>
#include <string_view>

#include "documents/text_sink.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit PdfText(std::string_view bytes, TextSink& sink);

// What the layout found on each page and why (PdfLayout::trace), for `lexaro-extract --layout`.
[[nodiscard]] ExtractExit PdfLayoutTrace(std::string_view bytes, std::string& trace);

// The language tag ("de-DE") of /Lang in the catalogue of the PDF in `bytes`, where the catalogue
// is not packed in an object stream; empty when there is none to be found so.
[[nodiscard]] std::string PdfCatalogueLanguage(std::string_view bytes);

}  // namespace lexaro::documents
