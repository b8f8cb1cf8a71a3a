// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A FictionBook (FB2): the text of its bodies in order, the main text first and the notes after
// it. Titles, epigraphs, subtitles, paragraphs, a poem's verses, citations and their authors and
// a table's rows are a line each; images, the book's description (its metadata) and the binary
// parts (the pictures, in base64) are left out. The charset is the one the XML declaration names
// (many books are in windows-1251).
//
// A link to a note (type="note", or any link into a body of notes) is a word of its own, [n],
// with the link's own text (or the note's number when it shows none). The bodies of notes
// ("notes", "comments") follow the text, each note on a line starting with its [n]; a note's
// title that only repeats its number is not read again.
//
// An FBZ (also named .fb2.zip) is a ZIP archive holding the one FB2.

#include <string_view>

#include "documents/text_sink.h"
#include "documents/zip_archive.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit Fb2Text(std::string_view bytes, TextSink& sink);

// The archive's one .fb2 entry; NotSupported when it holds none or several.
[[nodiscard]] ExtractExit Fb2ZipText(ZipArchive& zip, TextSink& sink);

}  // namespace lexaro::documents
