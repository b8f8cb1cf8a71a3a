#pragma once
// Writers of small documents for tests, end-to-end runs and benchmarks: ZIPs (EPUB, DOCX, ODT,
// and hostile archives) through libzip, and PDFs by a tiny hand-written PDF writer (one
// uncompressed content stream per page, Helvetica, text placed with Tj). Everything is returned
// as bytes; WriteFileBytes puts them on disk where a test needs a path.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lexaro::fixtures {

// --- ZIP ---------------------------------------------------------------------------------------
struct ZipEntry {
    std::string name;
    std::string data;
    bool deflate = true;
};
[[nodiscard]] std::string ZipBytes(const std::vector<ZipEntry>& entries);

// `entries` followed by one entry `name` of `uncompressedBytes` spaces, deflated to a sliver.
[[nodiscard]] std::string ZipBombBytes(std::vector<ZipEntry> entries, const std::string& name,
                                       std::size_t uncompressedBytes);

// An EPUB-looking archive (mimetype first) with `count` entries in all.
[[nodiscard]] std::string ManyEntriesZipBytes(std::size_t count);

// --- EPUB --------------------------------------------------------------------------------------
// XHTML markup of a page holding one <p> per paragraph (the paragraphs are escaped).
[[nodiscard]] std::string XhtmlPage(const std::vector<std::string>& paragraphs);

struct EpubDocument {
    std::string fileName;  // inside OEBPS/Text/; may hold spaces (the href is percent-encoded)
    std::string xhtml;
    bool linear = true;
};
// An EPUB (3, or 2 with an NCX) whose spine lists `documents` in order. `extraEntries` are added
// as they are (for encryption.xml and the like).
[[nodiscard]] std::string EpubBytes(const std::vector<EpubDocument>& documents, int version = 3,
                                    const std::vector<ZipEntry>& extraEntries = {});

// An EPUB 3 with a non-linear cover page (text "Cover") and one chapter per element of
// `chapters`, each a page of its paragraphs. The navigation document is not in the spine.
[[nodiscard]] std::string EpubBookBytes(const std::vector<std::vector<std::string>>& chapters);

// --- Office documents ----------------------------------------------------------------------------
// `bodyXml` goes inside <w:body> (prefixes w:, mc:, wp: are declared); DocxBytes makes one <w:p>
// per paragraph.
[[nodiscard]] std::string DocxFromBodyXml(std::string_view bodyXml);
[[nodiscard]] std::string DocxBytes(const std::vector<std::string>& paragraphs);

// `textXml` goes inside <office:text> (prefixes office:, text:, table:, draw:, svg: declared);
// OdtBytes makes one <text:p> per paragraph.
[[nodiscard]] std::string OdtFromTextXml(std::string_view textXml);
[[nodiscard]] std::string OdtBytes(const std::vector<std::string>& paragraphs);

// The document.xml or content.xml they hold, for tests of the walkers alone.
[[nodiscard]] std::string DocxDocumentXml(std::string_view bodyXml);
[[nodiscard]] std::string OdtContentXml(std::string_view textXml);

// --- Word 97-2003 -------------------------------------------------------------------------------
// A compound file holding `streams` (name, bytes); streams below 4096 bytes are padded to it.
[[nodiscard]] std::string CompoundFileBytes(
    std::vector<std::pair<std::string, std::string>> streams);

struct DocPiece {
    std::u16string text;
    bool compressed = false;   // stored a byte a character (each below U+0100), Windows-1252
    bool deleted = false;      // marked as a deletion not yet accepted
    std::string symbolFont{};  // in this font, each character a stand-in for `symbol`
    char16_t symbol = 0;
};
struct WordDocument97 {
    std::vector<DocPiece> body;  // the main text; each U+0002 in it refers to the next note
    std::vector<std::u16string> footnotes;
    std::vector<std::u16string> endnotes;
    std::string noteKinds;  // 'f' or 'e' for each reference in turn; empty: footnotes first
    bool encrypted = false;
};
[[nodiscard]] std::string DocBytes(const WordDocument97& document);
// A Word 6/95 document of `text` (8-bit, in one run: no piece table).
[[nodiscard]] std::string Word6DocBytes(std::string_view text);

// --- PDF ---------------------------------------------------------------------------------------
struct PdfText {
    double x = 72;
    double y = 720;
    std::string text;  // Windows-1252 (ASCII in practice)
    double size = 12;
    bool bold = false;  // in Helvetica-Bold rather than the page's font
};
struct PdfPage {
    std::vector<PdfText> texts;
    bool rectangle = false;    // a filled grey rectangle
    bool inlineImage = false;  // a tiny inline image
    // A scan: an 8-bit grey JPEG of `scanWidth` × `scanHeight` pixels, drawn at 300 dpi from the
    // page's top left corner.
    std::string scanJpeg;
    int scanWidth = 0;
    int scanHeight = 0;
};
[[nodiscard]] std::string PdfBytes(const std::vector<PdfPage>& pages);

// One page of `lines` in a Japanese font that is not embedded and maps its codes through the
// predefined CMap UniJIS-UCS2-H: poppler reads it only with its CJK tables (poppler-data).
[[nodiscard]] std::string JapanesePdfBytes(const std::vector<std::u16string>& lines);

// One page of `lines`, each a row of glyphs drawn left to right in a font whose ToUnicode map
// gives each glyph the characters it stands for: a text layer of any characters, in drawn order.
[[nodiscard]] std::string MappedPdfBytes(const std::vector<std::vector<std::u32string>>& lines);

// One page per element; each string a line at 14 pt leading from the top, an empty string an
// extra gap (a new paragraph). Lines that overflow a page are not moved on: keep pages short.
[[nodiscard]] std::string TextPdfBytes(const std::vector<std::vector<std::string>>& pages);

// `pages` pages that only draw (a rectangle and an inline image): no text layer.
[[nodiscard]] std::string ImageOnlyPdfBytes(int pages);

// Whether qpdf writes the two fixtures below: not on Windows, which has no qpdf to run.
#ifdef _WIN32
inline constexpr bool kQpdfFixtures = false;
#else
inline constexpr bool kQpdfFixtures = true;
#endif

// `pdf` encrypted by `qpdf --encrypt` (AES-256) with a user password; empty if qpdf failed.
[[nodiscard]] std::string EncryptedPdfBytes(const std::string& pdf,
                                            const std::string& password = "secret");

// `pdf` linearized ("fast web view") by qpdf: its first page's objects and a cross-reference
// table come first, so a cut-off copy still opens. Empty if qpdf failed.
[[nodiscard]] std::string LinearizedPdfBytes(const std::string& pdf);

// --- MOBI --------------------------------------------------------------------------------------

struct MobiBook {
    std::string html;                // the book's text, as an old MOBI holds it
    bool drm = false;                // marked encrypted for a buyer's reader (the text stays plain)
    std::uint32_t encoding = 65001;  // 65001 UTF-8, 1252 Windows-1252
    bool palmText = false;           // a Palm text ("TEXtREAd"): no MOBI header, plain text
};

// An old-style MOBI (format 6, no KF8 part) of uncompressed text records, or a Palm text.
[[nodiscard]] std::string MobiBytes(const MobiBook& book);

// --- Files -------------------------------------------------------------------------------------
// Writes `bytes` to `path`, replacing it; false on any error.
bool WriteFileBytes(const std::string& path, std::string_view bytes);

// A fresh empty directory under $TMPDIR (or /tmp; on Windows, %TEMP%) for a test's files.
[[nodiscard]] std::string MakeTempDirectory();

}  // namespace lexaro::fixtures
