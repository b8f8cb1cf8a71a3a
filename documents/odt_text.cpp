#include "documents/odt_text.h"

#include <string>
#include <vector>

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

// The text below `root` (the body, or a note's body). A note (text:note, a footnote or an
// endnote) is a word of its own, [n], where it stands, and its body is put in `notes` for later
// (a note inside a note is left out); `prefix` goes at the start of the first paragraph.
ExtractExit PartText(const xmlNode* root, TextSink& sink, std::vector<const xmlNode*>* notes,
                     std::string prefix) {
    int paragraphs = 0;  // text counts only inside a paragraph; outside it is layout white space
    const auto inText = [&](const xmlNode*) { return paragraphs > 0; };
    const auto enter = [&](const xmlNode* node) {
        if (IsHidden(node)) {
            return Visit::Skip;
        }
        if (IsElement(node, kTextNs, "note")) {
            const xmlNode* body = FindElement(node, kTextNs, "note-body");
            if (notes != nullptr && body != nullptr) {
                notes->push_back(body);
                sink.append(" [" + std::to_string(notes->size()) + "]");
            }
            return Visit::Skip;  // its citation too: the [n] stands for it
        }
        if (IsBlock(node)) {
            sink.endLine();
            ++paragraphs;
            if (!prefix.empty()) {
                sink.append(prefix);
                prefix.clear();
            }
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
    return WalkText(root, sink, inText, enter, leave);
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
    // The notes follow the body in the order they stand in it, each starting with its [n].
    std::vector<const xmlNode*> notes;
    ExtractExit status = PartText(body, sink, &notes, {});
    for (std::size_t i = 0; i < notes.size() && status == ExtractExit::Ok && !sink.overflowed();
         ++i) {
        status = PartText(notes[i], sink, nullptr, "[" + std::to_string(i + 1) + "] ");
    }
    return status;
}

ExtractExit OdtText(ZipArchive& zip, TextSink& sink) {
    std::string content;
    const ExtractExit status = zip.read("content.xml", content);
    return status == ExtractExit::Ok ? OdtContentText(content, sink) : status;
}

}  // namespace lexaro::documents
