// SPDX-License-Identifier: MIT
#pragma once
// The contract between the window process and the lexaro-extract helper: its command line, its
// output and its exit codes. The limits the helper runs under are in helper/child_limits.h, its
// lock-down in helper/lockdown.h.
//
//   lexaro-extract [--progress] [--ocr-language=LANGS] FILE
//                                     --progress: reports text recognition page by page on
//                                     standard error (helper/progress.h); --ocr-language: the
//                                     language data to recognise scanned pages with, names joined
//                                     by '+' ("deu+eng")
//   lexaro-extract --sandbox-report   locks itself down, prints its layers, exits 0 or NoSandbox
//   lexaro-extract --layout FILE      for a PDF, what its layout found on each page and why, in
//                                     place of the text (a developer's tool; NotSupported for
//                                     any other kind of document)
//
// On success the helper exits 0 with the document's text on standard output as UTF-8: one block
// (paragraph, heading, list item, table cell, ...) per line, lines separated by LF, no NUL, no
// empty lines. On failure it exits with one of the codes below and writes nothing the window
// reads. Any other ending (a signal, an unknown code, output that is not UTF-8) is a damaged
// document to the window.

#include <cstddef>

namespace lexaro {

enum class ExtractExit : int {
    Ok = 0,
    Usage = 2,            // wrong command line
    Unreadable = 3,       // missing, not a regular file, or could not be read
    TooLarge = 4,         // the file, an archive's contents or the text passed a size limit
    NotSupported = 5,     // neither a supported document nor text (an unknown ZIP, a binary .md)
    Damaged = 6,          // truncated or malformed, or past a structural limit (depth, entries)
    Encrypted = 7,        // a password-protected PDF
    NoText = 8,           // no text; a PDF: no text layer, and none recognised on its pages
    NoSandbox = 9,        // the helper could not lock itself down, so it parsed nothing
    DrmProtected = 10,    // a book locked to its buyer's reader (a Kindle book with DRM)
    NoTextLayer = 11,     // a DjVu without a text layer, and none recognised on its pages
    NoLanguageData = 12,  // scanned pages in a language whose recognition data is not installed
                          // (named on standard error with --progress, helper/progress.h)
};

// The largest text the helper writes, and the window accepts, in bytes of UTF-8.
inline constexpr std::size_t kMaxExtractedTextBytes = std::size_t{256} << 20;

}  // namespace lexaro
