// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/extract.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "documents/pdf_text.h"
#include "documents/readers.h"
#include "documents/zip_archive.h"
#include "formats/format_registry.h"

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

// Whether the archive holds `member`, or for "*.ext" any member whose name ends so (in any case).
bool Holds(const ZipArchive& zip, std::string_view member) {
    if (!member.starts_with('*')) {
        return zip.contains(member);
    }
    const std::string_view suffix = member.substr(1);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    const std::vector<std::string> names = zip.names();
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return name.size() >= suffix.size() &&
               std::equal(suffix.begin(), suffix.end(),
                          name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                          [&](char a, char b) { return lower(a) == lower(b); });
    });
}

ExtractExit ZipText(std::string_view bytes, TextSink& sink) {
    ZipArchive zip(bytes);
    if (zip.status() != ExtractExit::Ok) {
        return zip.status();
    }
    const DocumentFormat* format =
        FormatInZip(Mimetype(zip), [&zip](std::string_view member) { return Holds(zip, member); });
    const Reader* reader = format == nullptr ? nullptr : FindReader(format->key);
    if (reader == nullptr || reader->readZip == nullptr) {
        return ExtractExit::NotSupported;
    }
    return reader->readZip(zip, sink);
}

ExtractExit Extract(std::string_view bytes, std::string_view fileName, TextSink& sink) {
    const DocumentFormat& format = SniffDocumentFormat(bytes, fileName);
    if (&format == &ZipArchiveFormat()) {
        return ZipText(bytes, sink);
    }
    const Reader* reader = FindReader(format.key);
    if (!format.needsHelper || reader == nullptr || reader->read == nullptr) {
        return ExtractExit::NotSupported;  // plain text is the window's own business
    }
    return reader->read(bytes, sink);
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
    if (SniffDocumentFormat(bytes, fileName).key != "pdf") {
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
