#include "documents/extract.h"

#include <new>

#include "documents/docx_text.h"
#include "documents/epub_text.h"
#include "documents/html_text.h"
#include "documents/markdown_text.h"
#include "documents/odt_text.h"
#include "documents/pdf_text.h"
#include "documents/zip_archive.h"
#include "formats/document_kind.h"

namespace lexaro::documents {

namespace {

// The archive's "mimetype" entry, which EPUB and ODF put first; a long one is no media type, and
// reading stops long before a huge entry of that name could cost anything.
std::string Mimetype(ZipArchive& zip) {
    std::string mimetype;
    if (!zip.contains("mimetype") || zip.read("mimetype", mimetype, 256) != ExtractExit::Ok) {
        return {};
    }
    while (!mimetype.empty() &&
           (mimetype.back() == '\n' || mimetype.back() == '\r' || mimetype.back() == ' ')) {
        mimetype.pop_back();
    }
    return mimetype;
}

ExtractExit ZipText(std::string_view bytes, TextSink& sink) {
    ZipArchive zip(bytes);
    if (zip.status() != ExtractExit::Ok) {
        return zip.status();
    }
    const std::string mimetype = Mimetype(zip);
    if (mimetype == "application/epub+zip") {
        return EpubText(zip, sink);
    }
    if (mimetype == "application/vnd.oasis.opendocument.text") {
        return OdtText(zip, sink);
    }
    if (zip.contains("word/document.xml")) {
        return DocxText(zip, sink);
    }
    return ExtractExit::NotSupported;
}

ExtractExit Extract(std::string_view bytes, std::string_view fileName, TextSink& sink) {
    switch (SniffDocumentKind(bytes, fileName)) {
        case DocumentKind::Pdf:
            return PdfText(bytes, sink);
        case DocumentKind::Zip:
            return ZipText(bytes, sink);
        case DocumentKind::Html:
            return HtmlText(bytes, sink);
        case DocumentKind::Markdown:
            return MarkdownText(bytes, sink);
        case DocumentKind::PlainText:
            break;
    }
    return ExtractExit::NotSupported;
}

}  // namespace

ExtractResult ExtractDocument(std::string_view bytes, std::string_view fileName,
                              std::size_t maxTextBytes) {
    try {
        TextSink sink(maxTextBytes);
        ExtractExit status = Extract(bytes, fileName, sink);
        if (status == ExtractExit::Ok && sink.overflowed()) {
            status = ExtractExit::TooLarge;
        } else if (status == ExtractExit::Ok && sink.empty()) {
            status = ExtractExit::NoText;
        }
        if (status != ExtractExit::Ok) {
            return {status, {}};
        }
        return {status, sink.take()};
    } catch (const std::bad_alloc&) {
        return {ExtractExit::TooLarge, {}};
    } catch (...) {
        return {ExtractExit::Damaged, {}};
    }
}

ExtractResult ExtractLayout(std::string_view bytes, std::string_view fileName) {
    if (SniffDocumentKind(bytes, fileName) != DocumentKind::Pdf) {
        return {ExtractExit::NotSupported, {}};
    }
    try {
        ExtractResult result;
        result.status = PdfLayoutTrace(bytes, result.text);
        return result;
    } catch (const std::bad_alloc&) {
        return {ExtractExit::TooLarge, {}};
    } catch (...) {
        return {ExtractExit::Damaged, {}};
    }
}

}  // namespace lexaro::documents
