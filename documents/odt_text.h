// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// An OpenDocument text (ODT): content.xml's office:body/office:text in document order. Every
// paragraph and heading is a line (in lists, tables, sections and frames too); text:s and
// text:tab are spaces, text:line-break starts a new line. Tracked deletions, comments and image
// descriptions are not part of the text a reader sees and are left out. A note (footnote or
// endnote) is a word of its own, [n], where it stands; the notes' texts follow the body in order,
// each starting with its [n].

#include <string_view>

#include "documents/text_sink.h"
#include "documents/zip_archive.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit OdtText(ZipArchive& zip, TextSink& sink);

// The walk over content.xml alone.
[[nodiscard]] ExtractExit OdtContentText(std::string_view contentXml, TextSink& sink);

}  // namespace lexaro::documents
