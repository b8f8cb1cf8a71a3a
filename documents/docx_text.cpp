#include "documents/docx_text.h"

#include "documents/xml_tree.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view kStrictWordNs = "http://purl.oclc.org/ooxml/wordprocessingml/main";
constexpr std::string_view kCompatibilityNs =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";

bool IsW(const xmlNode* node, const char* name) {
    return IsElement(node, kWordNs, name) || IsElement(node, kStrictWordNs, name);
}

const xmlNode* Child(const xmlNode* node, const char* name) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (IsW(child, name)) {
            return child;
        }
    }
    return nullptr;
}

// A run formatted as hidden text (w:vanish, unless switched off).
bool IsHiddenRun(const xmlNode* run) {
    const xmlNode* properties = Child(run, "rPr");
    const xmlNode* vanish = properties != nullptr ? Child(properties, "vanish") : nullptr;
    if (vanish == nullptr) {
        return false;
    }
    const std::string value = AttributeValue(vanish, "val");
    return value != "0" && value != "false" && value != "off";
}

bool IsSkipped(const xmlNode* node) {
    return IsW(node, "pPr") || IsW(node, "rPr") || IsW(node, "delText") || IsW(node, "instrText") ||
           IsW(node, "moveFrom") || IsW(node, "del") ||
           IsElement(node, kCompatibilityNs, "Fallback") || (IsW(node, "r") && IsHiddenRun(node));
}

}  // namespace

ExtractExit DocxDocumentText(std::string_view documentXml, TextSink& sink) {
    const XmlDoc doc = ParseXml(documentXml);
    const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (root == nullptr || !IsW(root, "document")) {
        return ExtractExit::Damaged;
    }
    const auto inText = [](const xmlNode* node) {
        return node->parent != nullptr && IsW(node->parent, "t");
    };
    const auto enter = [&](const xmlNode* node) {
        if (IsSkipped(node)) {
            return Visit::Skip;
        }
        if (IsW(node, "p") || IsW(node, "br") || IsW(node, "cr")) {
            sink.endLine();
        } else if (IsW(node, "tab")) {
            sink.append(" ");
        } else if (IsW(node, "noBreakHyphen")) {
            sink.append("-");
        }
        return Visit::Descend;
    };
    const auto leave = [&](const xmlNode* node) {
        if (IsW(node, "p")) {
            sink.endLine();
        }
    };
    return WalkText(root, sink, inText, enter, leave);
}

ExtractExit DocxText(ZipArchive& zip, TextSink& sink) {
    std::string document;
    const ExtractExit status = zip.read("word/document.xml", document);
    return status == ExtractExit::Ok ? DocxDocumentText(document, sink) : status;
}

}  // namespace lexaro::documents
