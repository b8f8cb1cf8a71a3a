// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/mobi_text.h"

#include <mobi.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "documents/html_text.h"
#include "formats/encoding.h"

namespace lexaro::documents {

namespace {

struct MobiDataFree {
    void operator()(MOBIData* data) const { mobi_free(data); }
};
struct MobiRawmlFree {
    void operator()(MOBIRawml* rawml) const { mobi_free_rawml(rawml); }
};
struct FileClose {
    void operator()(FILE* file) const { std::fclose(file); }
};

std::uint32_t BigEndian(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// The Palm database's list of records lies inside the file and its records follow one another.
// libmobi sizes each record from its neighbour's offset and allocates that much before it reads,
// so a list running backwards or past the end would have it ask for gigabytes.
bool RecordsInBounds(std::string_view bytes) {
    constexpr std::size_t kCountAt = 76;
    constexpr std::size_t kListAt = 78;
    constexpr std::size_t kEntrySize = 8;
    if (bytes.size() < kListAt) {
        return false;
    }
    const std::size_t count = BigEndian(bytes, kCountAt, 2);
    if (kListAt + count * kEntrySize > bytes.size()) {
        return false;
    }
    std::uint32_t previous = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t offset = BigEndian(bytes, kListAt + i * kEntrySize, 4);
        if (offset < previous || offset > bytes.size()) {
            return false;
        }
        previous = offset;
    }
    return true;
}

// libmobi reads from a FILE; a stream over the bytes in memory needs no file system, which the
// locked-down helper no longer has.
bool Load(MOBIData* data, std::string_view bytes) {
    if (!RecordsInBounds(bytes)) {
        return false;
    }
    // fmemopen does not write to a buffer opened for reading only.
    const std::unique_ptr<FILE, FileClose> file(
        fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb"));
    return file && mobi_load_file(data, file.get()) == MOBI_SUCCESS;
}

// A Palm text (PalmDOC without a MOBI header, "TEXtREAd") states no encoding, and is plain text,
// a paragraph a line, unless it starts with a tag (converters put HTML in them too).
bool StartsWithTag(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && text[first] == '<';
}

// Plain text: UTF-8 where it is well-formed, else Windows-1252, as a text file is read.
void AppendPlainText(std::string_view text, TextSink& sink) {
    if (IsUtf8(text)) {
        sink.appendLines(text);
        return;
    }
    std::string decoded;
    decoded.reserve(text.size());
    for (const char byte : text) {
        AppendUtf8(decoded, Windows1252Character(static_cast<unsigned char>(byte)));
    }
    sink.appendLines(decoded);
}

}  // namespace

ExtractExit MobiText(std::string_view bytes, TextSink& sink) {
    if (bytes.empty()) {
        return ExtractExit::Damaged;
    }
    const std::unique_ptr<MOBIData, MobiDataFree> data(mobi_init());
    if (!data) {
        return ExtractExit::TooLarge;
    }
    if (!Load(data.get(), bytes)) {
        return ExtractExit::Damaged;
    }
    if (mobi_is_encrypted(data.get())) {
        return ExtractExit::DrmProtected;
    }
    // Print Replica: a PDF wrapped as a Kindle book, not a book of text.
    if (mobi_is_replica(data.get())) {
        return ExtractExit::NotSupported;
    }
    const std::unique_ptr<MOBIRawml, MobiRawmlFree> rawml(mobi_init_rawml(data.get()));
    if (!rawml) {
        return ExtractExit::Damaged;
    }
    // The table of contents and a dictionary's index are not part of the reading.
    const MOBI_RET parsed = mobi_parse_rawml_opt(rawml.get(), data.get(), false, false, true);
    if (parsed == MOBI_FILE_ENCRYPTED) {
        return ExtractExit::DrmProtected;
    }
    if (parsed != MOBI_SUCCESS) {
        return ExtractExit::Damaged;
    }
    // With a MOBI header libmobi gives the markup as UTF-8 whatever the book's own encoding; a
    // page that still declares Windows-1252 must not be decoded again: the byte order mark decides.
    static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    const bool markup = mobi_exists_mobiheader(data.get());
    std::string page;
    for (const MOBIPart* part = rawml->markup; part != nullptr; part = part->next) {
        if (part->type != T_HTML || part->data == nullptr) {
            continue;
        }
        const std::string_view text(reinterpret_cast<const char*>(part->data), part->size);
        ExtractExit status = ExtractExit::Ok;
        if (markup) {
            page.assign(kUtf8Mark);
            page.append(text);
            status = HtmlText(page, sink);
        } else if (StartsWithTag(text)) {
            status = HtmlText(text, sink);  // its own declaration, or UTF-8, or Windows-1252
        } else {
            AppendPlainText(text, sink);
        }
        if (status != ExtractExit::Ok || sink.overflowed()) {
            return status;
        }
        sink.endLine();
    }
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
