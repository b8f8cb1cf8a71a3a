#include "documents/odt_text.h"

#include "documents/xml_tree.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kOfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kTextNs = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view kSvgNs = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";

bool IsBlock(const xmlNode* node) {
    return IsElement(node, kTextNs, "p") || IsElement(node, kTextNs, "h");
}

bool IsHidden(const xmlNode* node) {
    return IsElement(node, kTextNs, "tracked-changes") ||
           IsElement(node, kOfficeNs, "annotation") || IsElement(node, kSvgNs, "title") ||
           IsElement(node, kSvgNs, "desc");
}

}  // namespace

ExtractExit OdtContentText(std::string_view contentXml, TextSink& sink) {
    const XmlDoc doc = ParseXml(contentXml);
    if (!doc) {
        return ExtractExit::Damaged;
    }
    const xmlNode* body = FindElement(DocumentNode(doc.get()), kOfficeNs, "text");
    if (body == nullptr) {
        return ExtractExit::Damaged;
    }
    int paragraphs = 0;  // text counts only inside a paragraph; outside it is layout white space
    const auto inText = [&](const xmlNode*) { return paragraphs > 0; };
    const auto enter = [&](const xmlNode* node) {
        if (IsHidden(node)) {
            return Visit::Skip;
        }
        if (IsBlock(node)) {
            sink.endLine();
            ++paragraphs;
        } else if (IsElement(node, kTextNs, "s") || IsElement(node, kTextNs, "tab")) {
            // Runs of spaces collapse anyway, so text:c (a count) needs no loop.
            sink.append(" ");
        } else if (IsElement(node, kTextNs, "line-break")) {
            sink.endLine();
        }
        return Visit::Descend;
    };
    const auto leave = [&](const xmlNode* node) {
        if (IsBlock(node)) {
            sink.endLine();
            --paragraphs;
        }
    };
    return WalkText(body, sink, inText, enter, leave);
}

ExtractExit OdtText(ZipArchive& zip, TextSink& sink) {
    std::string content;
    const ExtractExit status = zip.read("content.xml", content);
    return status == ExtractExit::Ok ? OdtContentText(content, sink) : status;
}

}  // namespace lexaro::documents
