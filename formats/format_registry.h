// SPDX-License-Identifier: MIT
#pragma once
// The formats Lexaro reads, and which one a file is, decided from its first bytes and its name.
//
// Every fact about a format has one home, formats/formats.tsv: the build makes this table from it,
// and the desktop entry's MIME types, the AppStream data and the Windows installer's "Open with"
// list too. The window uses the table to decide whether a file goes to the lexaro-extract helper
// (plain text is read in the window process, exactly as it always was; every other format is
// extracted in a child process, as its parsers run third-party code on a file from anywhere) and
// to build the open dialog's filter; the helper uses it to pick a reader by its key.

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

namespace lexaro {

// How a format shows in a file's first bytes (formats.tsv's "recognised" column).
enum class Recognition {
    None,         // not by its bytes: only by its name
    Fallback,     // whatever no other format claims (plain text)
    Magic,        // `pattern` stands at `offset`
    HtmlMarkup,   // "<!DOCTYPE html" or "<html" first, after a UTF-8 BOM and white space
    ZipMimetype,  // a ZIP archive whose "mimetype" entry (EPUB, ODF) is `pattern`
    ZipMember,    // a ZIP archive that holds the member `pattern` ("*.ext": a member named so)
    XmlRoot,      // XML whose first element is `pattern`, after the declaration and comments
};

struct DocumentFormat {
    std::string_view key;                          // the helper's reader (documents/readers.h)
    std::string_view name;                         // as the open dialog and the README name it
    std::span<const std::string_view> extensions;  // without the dot, lower case; first: usual
    std::span<const std::string_view> mimeTypes;
    Recognition recognition = Recognition::None;
    std::string_view pattern;
    std::size_t offset = 0;
    bool byName = false;       // its extension alone also decides
    bool needsHelper = false;  // extracted by lexaro-extract, not read by the window
};

// Every format, in formats.tsv's order.
[[nodiscard]] std::span<const DocumentFormat> DocumentFormats();

// The format with this key, or null.
[[nodiscard]] const DocumentFormat* FindDocumentFormat(std::string_view key);

// How many leading bytes SniffDocumentFormat looks at; fewer are fine for a shorter file.
inline constexpr std::size_t kSniffBytes = 1024;

// The format `head` (the file's first bytes; at most kSniffBytes are used) and `fileName` (its name
// or path) show: a format's bytes first, in the table's order, then an extension that decides
// alone (compared without regard to ASCII case), else the fallback (plain text). Every ZIP
// archive begins alike, so for one the answer is ZipArchiveFormat(), whose format its contents
// decide (FormatInZip) once the helper has opened it.
[[nodiscard]] const DocumentFormat& SniffDocumentFormat(std::string_view head,
                                                        std::string_view fileName);

// A ZIP archive before it is opened: read by the helper, never listed among DocumentFormats().
[[nodiscard]] const DocumentFormat& ZipArchiveFormat();

// The format of an opened ZIP archive: its "mimetype" entry (empty when it has none) and whether
// it holds a member. Null when no format's rule fits.
[[nodiscard]] const DocumentFormat* FormatInZip(
    std::string_view mimetype, const std::function<bool(std::string_view member)>& holds);

}  // namespace lexaro
