// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Turning a document into the plain text the window reads, one format per file pair behind this
// one function. It runs in the lexaro-extract helper process (see helper/protocol.h):
// the parsers here are third-party code fed with files from anywhere.
//
// The format comes from the registry (formats/format_registry.h): from the content first (a ZIP
// archive by what it holds: its mimetype entry or a member), then HTML and Markdown also by name;
// its reader from documents/readers.h. Any other ZIP is NotSupported, and so is plain text, the
// window's own business.
//
// The text: UTF-8, one block per line, LF between lines, no empty lines, no NUL, white space
// collapsed. A document that yields no text at all is NoText rather than an empty success, so
// the window never swaps the user's text for nothing.

#include <cstddef>
#include <string>
#include <string_view>

#include "helper/protocol.h"

namespace lexaro::documents {

struct ExtractResult {
    ExtractExit status = ExtractExit::Damaged;
    std::string text;  // only with ExtractExit::Ok
};

// `bytes` is the whole file; `fileName` its name or path (for the HTML and Markdown decision).
// A text longer than `maxTextBytes` is TooLarge. Never throws; running out of memory is TooLarge.
[[nodiscard]] ExtractResult ExtractDocument(std::string_view bytes, std::string_view fileName,
                                            std::size_t maxTextBytes = kMaxExtractedTextBytes);

// For `lexaro-extract --layout`: what the PDF layout found on each page of a PDF and why (its lines
// and blocks with their boxes, the reason for each break or drop) in place of the text. Any
// other kind of document is NotSupported. Never throws.
[[nodiscard]] ExtractResult ExtractLayout(std::string_view bytes, std::string_view fileName);

}  // namespace lexaro::documents
