// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A Word document (DOCX): word/document.xml's body in order. Every paragraph is a line (in
// tables and text boxes too); w:t is the text, w:tab a space, w:br and w:cr start a new line.
// What Word does not show is left out: deleted and moved-away revisions, field codes, hidden
// runs, and the fallback copy of content that markup compatibility stores twice. A reference to a
// footnote or endnote is a word of its own, [n], numbered in the order of first reference; after
// the body come the notes' texts (word/footnotes.xml, word/endnotes.xml) in that order, each
// starting with its [n].

#include <string_view>

#include "documents/text_sink.h"
#include "documents/zip_archive.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit DocxText(ZipArchive& zip, TextSink& sink);

// The walk over document.xml alone (note references numbered, no note texts).
[[nodiscard]] ExtractExit DocxDocumentText(std::string_view documentXml, TextSink& sink);

}  // namespace lexaro::documents
