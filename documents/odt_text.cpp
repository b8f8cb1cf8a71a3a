// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/odt_text.h"

#include <map>
#include <string>
#include <vector>

#include "documents/formula.h"
#include "documents/xml_tree.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kOfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kTextNs = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view kSvgNs = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";
constexpr std::string_view kDrawNs = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";
constexpr std::string_view kMathNs = "http://www.w3.org/1998/Math/MathML";

bool IsBlock(const xmlNode* node) {
    return IsElement(node, kTextNs, "p") || IsElement(node, kTextNs, "h");
}

bool IsHidden(const xmlNode* node) {
    return IsElement(node, kTextNs, "tracked-changes") ||
           IsElement(node, kOfficeNs, "annotation") || IsElement(node, kSvgNs, "title") ||
           IsElement(node, kSvgNs, "desc");
}

// Formula objects as text: their MathML, inline (a flat document) or in the archive's
// "Object N/content.xml"; empty for any other object, or without the archive. Each object is read
// once, however often the document shows it.
class Formulas {
public:
    explicit Formulas(ZipArchive* zip) : zip_(zip) {}

    std::string text(const xmlNode* object) {
        if (const xmlNode* math = FindElement(object, kMathNs, "math")) {
            return MathMlText(math);
        }
        std::string href = AttributeValue(object, "href");
        if (href.starts_with("./")) {
            href.erase(0, 2);
        }
        if (zip_ == nullptr || href.empty()) {
            return {};
        }
        const auto [known, added] = read_.try_emplace(href);
        if (added) {
            known->second = fromArchive(href + "/content.xml");
        }
        return known->second;
    }

private:
    std::string fromArchive(const std::string& name) {
        std::string xml;
        if (!zip_->contains(name) || zip_->read(name, xml) != ExtractExit::Ok) {
            return {};
        }
        const XmlDoc doc = ParseXml(xml);
        const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
        return root != nullptr && IsElement(root, kMathNs, "math") ? MathMlText(root)
                                                                   : std::string();
    }

    ZipArchive* zip_;
    std::map<std::string, std::string> read_;
};

// The text below `root` (the body, or a note's body). A note (text:note, a footnote or an
// endnote) is a word of its own, [n], where it stands, and its body is put in `notes` for later
// (a note inside a note is left out); `prefix` goes at the start of the first paragraph. A
// formula reads where it stands.
ExtractExit PartText(const xmlNode* root, TextSink& sink, std::vector<const xmlNode*>* notes,
                     std::string prefix, Formulas& formulas) {
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
        if (IsElement(node, kDrawNs, "object")) {
            sink.append(" " + formulas.text(node) + " ");
            return Visit::Skip;
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

namespace {

ExtractExit ContentText(std::string_view contentXml, TextSink& sink, ZipArchive* zip) {
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
    Formulas formulas(zip);
    ExtractExit status = PartText(body, sink, &notes, {}, formulas);
    for (std::size_t i = 0; i < notes.size() && status == ExtractExit::Ok && !sink.overflowed();
         ++i) {
        status = PartText(notes[i], sink, nullptr, "[" + std::to_string(i + 1) + "] ", formulas);
    }
    return status;
}

}  // namespace

ExtractExit OdtContentText(std::string_view contentXml, TextSink& sink) {
    return ContentText(contentXml, sink, nullptr);
}

ExtractExit OdtText(ZipArchive& zip, TextSink& sink) {
    std::string content;
    const ExtractExit status = zip.read("content.xml", content);
    return status == ExtractExit::Ok ? ContentText(content, sink, &zip) : status;
}

}  // namespace lexaro::documents
