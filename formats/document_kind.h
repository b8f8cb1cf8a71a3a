#pragma once
// Which reader a file needs, decided from its first bytes (and, for HTML and Markdown, its name).
//
// Plain text is read in the window process, exactly as it always was. Every other kind is
// extracted by the lexaro-extract helper in a child process: its parsers run third-party code on
// a file from anywhere, and a crash or a hang there must cost a failed load, never the user's text.

#include <cstddef>
#include <string_view>

namespace lexaro {

enum class DocumentKind {
    PlainText,
    Pdf,       // starts with "%PDF-"
    Zip,       // a ZIP archive: EPUB, ODT or DOCX by what it holds (the helper decides)
    Html,      // "<!DOCTYPE html" or "<html" first (after a BOM and white space), or an HTML name
    Markdown,  // by name only: ".md" or ".markdown"
};

// How many leading bytes SniffDocumentKind looks at; fewer are fine for a shorter file.
inline constexpr std::size_t kSniffBytes = 1024;

// `head` is the file's first bytes (at most kSniffBytes are used); `fileName` its name or path.
// Name suffixes are compared without regard to ASCII case.
[[nodiscard]] DocumentKind SniffDocumentKind(std::string_view head, std::string_view fileName);

}  // namespace lexaro
