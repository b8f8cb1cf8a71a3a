// ZIP-based fixtures: generic archives, hostile ones, EPUB, DOCX and ODT.

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "tests/documents/fixtures.h"

namespace lexaro::fixtures {

namespace {

// Produces `size` spaces on demand, so a huge entry never exists in memory.
struct SpaceSource {
    zip_uint64_t size;
    zip_uint64_t at = 0;
};

zip_int64_t SpaceSourceCallback(void* userdata, void* data, zip_uint64_t length,
                                zip_source_cmd_t command) {
    auto* source = static_cast<SpaceSource*>(userdata);
    switch (command) {
        case ZIP_SOURCE_OPEN:
            source->at = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const zip_uint64_t n = std::min(length, source->size - source->at);
            std::memset(data, ' ', n);
            source->at += n;
            return static_cast<zip_int64_t>(n);
        }
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = static_cast<zip_stat_t*>(data);
            zip_stat_init(stat);
            stat->size = source->size;
            stat->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:  // never fails: report "no error"
            std::memset(data, 0, 2 * sizeof(int));
            return 2 * sizeof(int);
        case ZIP_SOURCE_FREE:
            delete source;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                  ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_FREE, ZIP_SOURCE_ERROR, -1);
        default:
            return -1;
    }
}

void Check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("fixture: ") + what);
    }
}

// Builds an archive in memory; `add` adds the entries through the given zip_t.
template <class Add>
std::string BuildZip(Add&& add) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    Check(buffer != nullptr, "zip buffer");
    zip_source_keep(buffer);
    zip_t* zip = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    Check(zip != nullptr, "zip open");
    add(zip);
    Check(zip_close(zip) == 0, "zip close");
    std::string bytes;
    Check(zip_source_open(buffer) == 0, "zip reopen");
    Check(zip_source_seek(buffer, 0, SEEK_END) == 0, "zip seek");
    bytes.resize(static_cast<std::size_t>(zip_source_tell(buffer)));
    Check(zip_source_seek(buffer, 0, SEEK_SET) == 0, "zip seek");
    Check(zip_source_read(buffer, bytes.data(), bytes.size()) ==
              static_cast<zip_int64_t>(bytes.size()),
          "zip read");
    zip_source_close(buffer);
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

void AddEntry(zip_t* zip, const ZipEntry& entry) {
    zip_source_t* source = zip_source_buffer(zip, entry.data.data(), entry.data.size(), 0);
    Check(source != nullptr, "zip source");
    const zip_int64_t index = zip_file_add(zip, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    Check(index >= 0, "zip add");
    Check(zip_set_file_compression(zip, static_cast<zip_uint64_t>(index),
                                   entry.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0) == 0,
          "zip compression");
}

std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string PercentEncode(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c == ' ') {
            out += "%20";
        } else {
            out += c;
        }
    }
    return out;
}

constexpr const char* kContainer =
    R"(<?xml version="1.0"?>
<container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">
  <rootfiles><rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/></rootfiles>
</container>)";

}  // namespace

std::string ZipBytes(const std::vector<ZipEntry>& entries) {
    return BuildZip([&](zip_t* zip) {
        for (const ZipEntry& entry : entries) {
            AddEntry(zip, entry);
        }
    });
}

std::string ZipBombBytes(std::vector<ZipEntry> entries, const std::string& name,
                         std::size_t uncompressedBytes) {
    return BuildZip([&](zip_t* zip) {
        for (const ZipEntry& entry : entries) {
            AddEntry(zip, entry);
        }
        zip_source_t* source =
            zip_source_function(zip, SpaceSourceCallback, new SpaceSource{uncompressedBytes});
        Check(source != nullptr, "zip bomb source");
        const zip_int64_t index = zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        Check(index >= 0, "zip bomb add");
        Check(
            zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9) == 0,
            "zip bomb compression");
    });
}

std::string ManyEntriesZipBytes(std::size_t count) {
    std::vector<ZipEntry> entries{{"mimetype", "application/epub+zip", false}};
    for (std::size_t i = 1; i < count; ++i) {
        entries.push_back({"e/" + std::to_string(i), "", false});
    }
    return ZipBytes(entries);
}

std::string XhtmlPage(const std::vector<std::string>& paragraphs) {
    std::string page =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\">"
        "<head><title>Page</title></head><body>\n";
    for (const std::string& paragraph : paragraphs) {
        page += "<p>" + Escape(paragraph) + "</p>\n";
    }
    return page + "</body></html>\n";
}

std::string EpubBytes(const std::vector<EpubDocument>& documents, int version,
                      const std::vector<ZipEntry>& extraEntries) {
    std::string manifest;
    std::string spine;
    std::vector<ZipEntry> entries{{"mimetype", "application/epub+zip", false},
                                  {"META-INF/container.xml", kContainer}};
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const std::string id = "d" + std::to_string(i);
        manifest += "<item id=\"" + id + "\" href=\"Text/" + PercentEncode(documents[i].fileName) +
                    "\" media-type=\"application/xhtml+xml\"/>\n";
        spine += "<itemref idref=\"" + id + "\"" + (documents[i].linear ? "" : " linear=\"no\"") +
                 "/>\n";
        entries.push_back({"OEBPS/Text/" + documents[i].fileName, documents[i].xhtml});
    }
    if (version >= 3) {
        manifest +=
            "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
            "properties=\"nav\"/>\n";
        entries.push_back({"OEBPS/nav.xhtml", XhtmlPage({"Table of contents"})});
    } else {
        manifest += "<item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>\n";
        entries.push_back({"OEBPS/toc.ncx", "<ncx><navMap/></ncx>"});
    }
    const std::string opf =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<package "
        "xmlns=\"http://www.idpf.org/2007/opf\" "
        "version=\"" +
        std::string(version >= 3 ? "3.0" : "2.0") +
        "\" unique-identifier=\"id\"><metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
        "<dc:identifier id=\"id\">x</dc:identifier><dc:title>Fixture</dc:title>"
        "<dc:language>en</dc:language></metadata>\n<manifest>\n" +
        manifest + "</manifest>\n<spine" + (version >= 3 ? "" : " toc=\"ncx\"") + ">\n" + spine +
        "</spine>\n</package>\n";
    entries.push_back({"OEBPS/content.opf", opf});
    entries.insert(entries.end(), extraEntries.begin(), extraEntries.end());
    return ZipBytes(entries);
}

std::string EpubBookBytes(const std::vector<std::vector<std::string>>& chapters) {
    std::vector<EpubDocument> documents{{"cover.xhtml", XhtmlPage({"Cover"}), false}};
    for (std::size_t i = 0; i < chapters.size(); ++i) {
        documents.push_back(
            {"chapter " + std::to_string(i + 1) + ".xhtml", XhtmlPage(chapters[i])});
    }
    return EpubBytes(documents);
}

std::string DocxDocumentXml(std::string_view bodyXml) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<w:document "
           "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
           "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
           "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\">"
           "<w:body>" +
           std::string(bodyXml) + "</w:body></w:document>";
}

std::string DocxFromBodyXml(std::string_view bodyXml) {
    return ZipBytes({{"[Content_Types].xml",
                      "<?xml version=\"1.0\"?><Types "
                      "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
                     {"word/document.xml", DocxDocumentXml(bodyXml)}});
}

std::string DocxBytes(const std::vector<std::string>& paragraphs) {
    std::string body;
    for (const std::string& paragraph : paragraphs) {
        body += "<w:p><w:r><w:t xml:space=\"preserve\">" + Escape(paragraph) + "</w:t></w:r></w:p>";
    }
    return DocxFromBodyXml(body);
}

std::string OdtContentXml(std::string_view textXml) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
           "office:version=\"1.3\"><office:body><office:text>" +
           std::string(textXml) + "</office:text></office:body></office:document-content>";
}

std::string OdtFromTextXml(std::string_view textXml) {
    return ZipBytes({{"mimetype", "application/vnd.oasis.opendocument.text", false},
                     {"content.xml", OdtContentXml(textXml)},
                     {"META-INF/manifest.xml", "<manifest/>"}});
}

std::string OdtBytes(const std::vector<std::string>& paragraphs) {
    std::string text;
    for (const std::string& paragraph : paragraphs) {
        text += "<text:p>" + Escape(paragraph) + "</text:p>";
    }
    return OdtFromTextXml(text);
}

}  // namespace lexaro::fixtures
