#pragma once
// A Word document (DOCX): word/document.xml's body in order. Every paragraph is a line (in
// tables and text boxes too); w:t is the text, w:tab a space, w:br and w:cr start a new line.
// What Word does not show is left out: deleted and moved-away revisions, field codes, hidden
// runs, and the fallback copy of content that markup compatibility stores twice.

#include <string_view>

#include "documents/text_sink.h"
#include "documents/zip_archive.h"
#include "formats/extract_protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit DocxText(ZipArchive& zip, TextSink& sink);

// The walk over document.xml alone.
[[nodiscard]] ExtractExit DocxDocumentText(std::string_view documentXml, TextSink& sink);

}  // namespace lexaro::documents
