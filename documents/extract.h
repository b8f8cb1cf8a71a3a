#pragma once
// Turning a document into the plain text the window reads, one format per file pair behind this
// one function. It runs in the lexaro-extract helper process (see helper/protocol.h):
// the parsers here are third-party code fed with files from anywhere.
//
// The kind comes from the content (SniffDocumentKind): a ZIP is an EPUB (mimetype
// application/epub+zip), an ODT (mimetype application/vnd.oasis.opendocument.text) or a DOCX
// (it holds word/document.xml), any other ZIP is NotSupported; "%PDF-" is a PDF; HTML and
// Markdown as sniffed. Plain text is the window's own business: NotSupported here.
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

}  // namespace lexaro::documents
