// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/xml_tree.h"

#include <libxml/HTMLparser.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <cstring>
#include <mutex>

namespace lexaro::documents {

namespace {

void IgnoreError(void* /*context*/, const char* /*message*/, ...) {}
void IgnoreStructuredError(void* /*context*/, xmlError* /*error*/) {}

// A document names a DTD or an external entity: never fetch it, from the network or a file.
xmlParserInputPtr RefuseExternalEntity(const char* /*url*/, const char* /*id*/,
                                       xmlParserCtxtPtr /*context*/) {
    return nullptr;
}

void SetUpLibxml() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetGenericErrorFunc(nullptr, IgnoreError);
        xmlSetStructuredErrorFunc(nullptr, IgnoreStructuredError);
        xmlSetExternalEntityLoader(RefuseExternalEntity);
    });
}

bool FitsInt(std::string_view bytes) {
    return bytes.size() <= static_cast<std::size_t>(INT_MAX);
}

}  // namespace

XmlDoc ParseXml(std::string_view bytes, const char* encoding) {
    SetUpLibxml();
    if (!FitsInt(bytes)) {
        return nullptr;
    }
    // No XML_PARSE_NOENT (entities stay references), no DTD loading, and the parser's own depth
    // limit (256) stays on: the formats read here never nest that deep.
    // A given encoding must also silence the declaration's, which libxml2 would switch to.
    const int ignoreDeclared = encoding != nullptr ? XML_PARSE_IGNORE_ENC : 0;
    return XmlDoc(
        xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, encoding,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | ignoreDeclared));
}

XmlDoc ParseHtml(std::string_view utf8) {
    SetUpLibxml();
    if (!FitsInt(utf8)) {
        return nullptr;
    }
    // Without XML_PARSE_HUGE the HTML parser silently stops at depth 256 and drops the rest of the
    // document. With it, deep nesting is kept, and both our walk and libxml2's freeing of the tree
    // are iterative, so any depth is only a matter of memory.
    return XmlDoc(htmlReadMemory(utf8.data(), static_cast<int>(utf8.size()), nullptr, "UTF-8",
                                 HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                     HTML_PARSE_RECOVER | XML_PARSE_HUGE | HTML_PARSE_IGNORE_ENC));
}

bool EntityText(const xmlNode* reference, std::string_view& text) {
    // An entity reference node points at its declaration instead of owning children.
    const auto* entity = reinterpret_cast<const xmlEntity*>(reference->children);
    if (entity == nullptr || entity->type != XML_ENTITY_DECL ||
        entity->etype != XML_INTERNAL_GENERAL_ENTITY || entity->content == nullptr) {
        return false;
    }
    text = reinterpret_cast<const char*>(entity->content);
    return text.find_first_of("<&") == std::string_view::npos;
}

bool IsElement(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

bool IsElement(const xmlNode* node, std::string_view ns, const char* name) {
    return IsElement(node, name) && node->ns != nullptr && node->ns->href != nullptr &&
           ns == reinterpret_cast<const char*>(node->ns->href);
}

std::string AttributeValue(const xmlNode* node, const char* name) {
    for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
        if (std::strcmp(reinterpret_cast<const char*>(attr->name), name) != 0) {
            continue;
        }
        std::string value;
        for (const xmlNode* child = attr->children; child != nullptr; child = child->next) {
            if (child->type == XML_TEXT_NODE) {
                value += NodeText(child);
            }
        }
        return value;
    }
    return {};
}

const xmlNode* FindElement(const xmlNode* root, std::string_view ns, const char* name) {
    const xmlNode* found = nullptr;
    WalkTree(root, [&](const xmlNode* node) {
        if (IsElement(node, ns, name)) {
            found = node;
            return Visit::Stop;
        }
        return Visit::Descend;
    });
    return found;
}

std::string TextBelow(const xmlNode* node) {
    std::string text;
    WalkTree(node, [&text](const xmlNode* child) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            text += NodeText(child);
        }
        return Visit::Descend;
    });
    return text;
}

std::string Trim(std::string_view text, std::string_view junk) {
    const std::size_t first = text.find_first_not_of(junk);
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(junk) - first + 1));
}

}  // namespace lexaro::documents
