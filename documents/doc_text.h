// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A Word 97–2003 document (.doc): a compound file whose WordDocument stream holds the text and a
// table stream ("0Table" or "1Table", as the file's header says) the piece table that puts it in
// order. The main text is read in order, a paragraph to a line (in a table, each cell in turn);
// of a field only the result Word shows, never its instruction; pictures and drawn objects
// dropped. A reference to a footnote or endnote is a word of its own, [n], numbered in the order
// of reference. After the body come the text boxes it holds (where each stands is not known
// without the drawing layer), then the notes' texts in order, each starting with its [n].
// Headers, footers (and their text boxes), comments and text marked deleted are left out; a
// character of the Symbol font is the Unicode character it shows, one of a picture font
// (Wingdings and the like) is dropped.
//
// The compound file is read with libgsf. Anything that is not a compound file is NotSupported
// (a ".doc" that is really RTF, HTML or text is recognised before this); a compound file without
// a Word document in it is NotSupported too; an encrypted one Encrypted. Word 6 and 95 files are
// read the same way (their text is 8-bit, taken as Windows-1252; their endnotes are not read).

#include <string_view>

#include "documents/text_sink.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit DocText(std::string_view bytes, TextSink& sink);

}  // namespace lexaro::documents
